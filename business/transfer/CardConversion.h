#pragma once

#include "transfer/CardProperties.h"

namespace orvane::transfer {

// Properties of one version made into those of another (2.1 is read, never
// written: `to` is 3.0 or 4.0). Each keeps its meaning:
// - 4.0: PROFILE, NAME and MAILER are left out (they say nothing about the
//   person); LABEL becomes the LABEL parameter of the ADR of the same type
//   (of an empty ADR when there is none); SORT-STRING the SORT-AS of N;
//   TYPE=pref is PREF=1; a phone that is only a number is a tel: URI, any
//   other says VALUE=text; Apple's year-less date (X-APPLE-OMIT-YEAR) is
//   --MMDD; X-ADDRESSBOOKSERVER-KIND, X-GENDER, X-ANNIVERSARY and the X-
//   forms written for 3.0 are the 4.0 properties again.
// - 3.0: the other way round; the 4.0-only properties without a 3.0 form
//   become X- properties, a tel: URI with no more than an extension a
//   plain number ("+1-555-0100 ext. 12"), a URI photo says VALUE=uri.
void ConvertProperties(KeptCardProperties& card, VCardVersion to);

}  // namespace orvane::transfer
