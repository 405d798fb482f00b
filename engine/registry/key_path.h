#pragma once

#include <string>
#include <string_view>

namespace halvorn {

// Adds name to a backslash-separated key path.
inline void AppendKeyName(std::u16string& path, std::u16string_view name) {
    if (!path.empty()) {
        path += u'\\';
    }
    path += name;
}

// Extends a backslash-separated key path by one name for as long as it lives.
class KeyPathExtension {
public:
    KeyPathExtension(std::u16string& path, std::u16string_view name)
        : m_path(path), m_entryLength(path.size()) {
        AppendKeyName(path, name);
    }
    ~KeyPathExtension() { m_path.resize(m_entryLength); }
    KeyPathExtension(const KeyPathExtension&) = delete;
    KeyPathExtension& operator=(const KeyPathExtension&) = delete;

private:
    std::u16string& m_path;
    std::size_t m_entryLength;
};

}  // namespace halvorn
