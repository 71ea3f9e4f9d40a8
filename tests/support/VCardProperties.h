#pragma once

#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <string>
#include <vector>

// An independent reading of vCard text for tests: the properties of every
// card, unfolded, with their parameters in a form that does not depend on
// the version (TYPE values as a set in lower case, TYPE=pref and PREF=1 as
// one "pref" mark, a binary value as its media type and base64 whether it
// came as ENCODING=b or as a data: URI). Order and folding do not matter.
namespace orvane::test {

struct VProperty {
    std::string group;  // lower case, without the dot
    std::string name;   // upper case
    std::set<std::string> types;
    bool pref = false;
    std::map<std::string, std::string> params;  // other parameters, names upper case
    std::string value;

    std::string Describe() const {
        std::string out = group.empty() ? name : group + "." + name;
        for (const std::string& type : types) out += ";TYPE=" + type;
        if (pref) out += ";pref";
        for (const auto& [key, v] : params) out += ";" + key + "=" + v;
        return out + ":" + value;
    }
    bool operator<(const VProperty& other) const { return Describe() < other.Describe(); }
    bool operator==(const VProperty& other) const { return Describe() == other.Describe(); }
};

inline std::string UpperCase(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}
inline std::string LowerCase(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// The content lines of the text, unfolded, exactly as written.
inline std::vector<std::string> UnfoldedLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && (line[0] == ' ' || line[0] == '\t') && !lines.empty()) lines.back() += line.substr(1);
        else if (!line.empty()) lines.push_back(line);
        pos = end + 1;
    }
    return lines;
}

// The cards of the text, each a list of its properties (BEGIN and END left out).
inline std::vector<std::vector<VProperty>> ReadVCards(const std::string& text) {
    const std::vector<std::string> lines = UnfoldedLines(text);
    std::vector<std::vector<VProperty>> cards;
    for (const std::string& line : lines) {
        const std::size_t colon = line.find(':');
        if (colon == std::string::npos) continue;
        std::string head = line.substr(0, colon);
        VProperty p;
        p.value = line.substr(colon + 1);
        std::vector<std::string> parts;
        std::size_t start = 0;
        while (true) {
            const std::size_t semi = head.find(';', start);
            parts.push_back(head.substr(start, semi == std::string::npos ? std::string::npos : semi - start));
            if (semi == std::string::npos) break;
            start = semi + 1;
        }
        std::string name = parts[0];
        if (const std::size_t dot = name.find('.'); dot != std::string::npos) {
            p.group = LowerCase(name.substr(0, dot));
            name = name.substr(dot + 1);
        }
        p.name = UpperCase(name);
        bool binary = false;
        for (std::size_t i = 1; i < parts.size(); ++i) {
            const std::size_t eq = parts[i].find('=');
            const std::string key = UpperCase(parts[i].substr(0, eq));
            const std::string v = eq == std::string::npos ? "" : parts[i].substr(eq + 1);
            if (key == "TYPE") {
                std::size_t s = 0;
                while (true) {
                    const std::size_t comma = v.find(',', s);
                    const std::string type = LowerCase(v.substr(s, comma == std::string::npos ? std::string::npos : comma - s));
                    if (type == "pref") p.pref = true;
                    else p.types.insert(type);
                    if (comma == std::string::npos) break;
                    s = comma + 1;
                }
            } else if (key == "PREF") {
                p.pref = true;
            } else if (key == "ENCODING" && (LowerCase(v) == "b" || LowerCase(v) == "base64")) {
                binary = true;
            } else {
                p.params[key] = v;
            }
        }
        if (p.name == "BEGIN") {
            cards.emplace_back();
            continue;
        }
        if (p.name == "END" || cards.empty()) continue;
        if (binary) {
            // ENCODING=b;TYPE=JPEG -> the media type beside the data.
            std::string media = "application/octet-stream";
            if (!p.types.empty()) {
                media = "image/" + *p.types.begin();
                p.types.erase(p.types.begin());
            }
            p.value = media + ";base64," + p.value;
        } else if (p.value.rfind("data:", 0) == 0) {
            p.value = LowerCase(p.value.substr(5, p.value.find(',') - 5)) + p.value.substr(p.value.find(','));
        }
        cards.back().push_back(std::move(p));
    }
    return cards;
}

// The properties other than those named, sorted.
inline std::vector<VProperty> Without(std::vector<VProperty> properties, const std::set<std::string>& names) {
    properties.erase(std::remove_if(properties.begin(), properties.end(),
                                    [&](const VProperty& p) { return names.count(p.name) > 0; }),
                     properties.end());
    std::sort(properties.begin(), properties.end());
    return properties;
}

}  // namespace orvane::test
