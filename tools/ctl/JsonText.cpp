#include "ctl/JsonText.h"

#include <cstdio>

namespace zel::ctl {

std::string jsonString(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            if (u < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04X", static_cast<unsigned>(u));
                out += buf;
            } else {
                out += c; // UTF-8 passes through
            }
        }
    }
    out += '"';
    return out;
}

void JsonWriter::key(std::string_view name) {
    if (!m_first) {
        m_text += ',';
    }
    m_first = false;
    if (!name.empty()) {
        m_text += jsonString(name);
        m_text += ':';
    }
}

JsonWriter& JsonWriter::beginObject(std::string_view name) {
    key(name);
    m_text += '{';
    m_first = true;
    return *this;
}

JsonWriter& JsonWriter::endObject() {
    m_text += '}';
    m_first = false;
    return *this;
}

JsonWriter& JsonWriter::beginArray(std::string_view name) {
    key(name);
    m_text += '[';
    m_first = true;
    return *this;
}

JsonWriter& JsonWriter::endArray() {
    m_text += ']';
    m_first = false;
    return *this;
}

JsonWriter& JsonWriter::value(std::string_view name, std::string_view text) {
    key(name);
    m_text += jsonString(text);
    return *this;
}

JsonWriter& JsonWriter::value(std::string_view name, long long number) {
    key(name);
    m_text += std::to_string(number);
    return *this;
}

JsonWriter& JsonWriter::value(std::string_view name, bool flag) {
    key(name);
    m_text += flag ? "true" : "false";
    return *this;
}

} // namespace zel::ctl
