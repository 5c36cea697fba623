#pragma once

#include <string>
#include <string_view>

namespace zel::ctl {

/// `text` as a JSON string literal, quotes included.
std::string jsonString(std::string_view text);

/// Builds one JSON value by appending members and elements; commas are placed by the
/// writer. Output is one line, for scripts.
class JsonWriter {
public:
    JsonWriter& beginObject(std::string_view key = {});
    JsonWriter& endObject();
    JsonWriter& beginArray(std::string_view key = {});
    JsonWriter& endArray();
    JsonWriter& value(std::string_view key, std::string_view text);
    JsonWriter& value(std::string_view key, const char* text) {
        return value(key, std::string_view(text));
    }
    JsonWriter& value(std::string_view key, long long number);
    JsonWriter& value(std::string_view key, int number) {
        return value(key, static_cast<long long>(number));
    }
    JsonWriter& value(std::string_view key, bool flag);
    /// An array element without a key.
    JsonWriter& element(long long number) { return value({}, number); }
    JsonWriter& element(std::string_view text) { return value({}, text); }

    const std::string& text() const { return m_text; }

private:
    void key(std::string_view name);

    std::string m_text;
    bool m_first = true;
};

} // namespace zel::ctl
