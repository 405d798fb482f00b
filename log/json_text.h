#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace halvorn {

// Appends text as UTF-8, a surrogate pair as one four-byte sequence and an unpaired surrogate as
// U+FFFD. False where text held an unpaired surrogate, so that the bytes do not give it back exactly.
bool AppendUtf8(std::string& bytes, std::u16string_view text);

// JSON text in UTF-8 without a byte-order mark, built front to back: members and elements stand in
// the order written, and the writer puts the commas between them. It does not check the nesting;
// its callers are the program's own.
class JsonWriter {
public:
    void BeginObject();
    void EndObject();
    void BeginArray();
    void EndArray();
    // A member's name: the program's own ASCII, which needs no escape.
    void Key(std::string_view name);
    // False where text held an unpaired surrogate, written as U+FFFD.
    bool String(std::u16string_view text);
    void Number(std::int64_t value);
    void Bool(bool value);
    void Null();

    // Room for about this many bytes in all, for a text whose size is known roughly beforehand.
    void Reserve(std::size_t bytes) { m_text.reserve(bytes); }
    // The text written so far, handed over: the writer starts again empty.
    std::string Take() {
        m_afterValue = false;
        return std::exchange(m_text, {});
    }

private:
    void BeforeValue();
    void Open(char bracket);
    void Close(char bracket);

    std::string m_text;
    // A value or a closed object or array ends the text: the next member or element needs a comma.
    bool m_afterValue = false;
};

}  // namespace halvorn
