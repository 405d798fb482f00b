#pragma once

#include <string>
#include <vector>

namespace halvorn {

// Of the file names given, those that a run's backup has ("Brimwell12-7-2026 9h5m3s.reg", with
// " (2)" and so on before the extension), newest first: by the time in the name, then by its
// counter. Other names are left out.
std::vector<std::u16string> NewestBackupsFirst(const std::vector<std::u16string>& names);

}  // namespace halvorn
