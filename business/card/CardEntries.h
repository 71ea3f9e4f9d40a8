#pragma once

#include <optional>
#include <string>

#include "card/CardModel.h"

// How one property of a card reads as a value of the model; shared by the
// reading and the writing, which compares a property with what it read.
namespace orvane::card::entries {

// The label Apple writes beside a grouped property ("item1.X-ABLabel"),
// without its "_$!<...>!$_" frame; empty when there is none.
std::string GroupLabel(const transfer::KeptCardProperties& card, const std::string& group);
EntryLabel KindOf(const transfer::KeptCardProperties& card, const transfer::CardProperty& property);
bool PreferredOf(const transfer::CardProperty& property);

// The property's value as one line of text (a tel: URI as its number).
std::string ValueOf(const transfer::CardProperty& property);
CardEntry EntryOf(const transfer::KeptCardProperties& card, std::size_t index);
PostalAddress AddressOf(const transfer::KeptCardProperties& card, std::size_t index);
// A date the property holds (1980-05-21, 19800521, --0521, Apple's year
// left out); none when it holds no date.
std::optional<CardDate> DateOf(const transfer::CardProperty& property);
// One component of a structured text, its values joined by `separator`.
std::string Component(const transfer::CardProperty& property, std::size_t index, const char* separator = " ");

}  // namespace orvane::card::entries
