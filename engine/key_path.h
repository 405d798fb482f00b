#pragma once

#include <string>
#include <string_view>

namespace halvorn {

// Extends a backslash-separated key path by one name for as long as it lives.
class KeyPathExtension {
public:
    KeyPathExtension(std::u16string& path, std::u16string_view name)
        : m_path(path), m_entryLength(path.size()) {
        if (!path.empty()) {
            path += u'\\';
        }
        m_nameStart = path.size();
        path += name;
    }
    ~KeyPathExtension() { m_path.resize(m_entryLength); }
    KeyPathExtension(const KeyPathExtension&) = delete;
    KeyPathExtension& operator=(const KeyPathExtension&) = delete;

    // The added name, as it stands at the end of the path.
    const char16_t* Name() const { return m_path.c_str() + m_nameStart; }

private:
    std::u16string& m_path;
    std::size_t m_entryLength;
    std::size_t m_nameStart = 0;
};

}  // namespace halvorn
