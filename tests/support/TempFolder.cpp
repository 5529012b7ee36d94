#include "support/TempFolder.h"

#include "platform/fs/ProgramFolder.h"
#include "platform/fs/SettingsFolder.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <stdexcept>

namespace testing_support {

namespace fs = std::filesystem;

TempFolder::TempFolder() {
    std::string tmpl = (fs::temp_directory_path() / "vm415-test-XXXXXX").string();
    if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
    path_ = tmpl + "/";
}

TempFolder::~TempFolder() {
    std::error_code ec;
    // A test may have made a folder read-only; give the permissions back so it can go.
    for (auto it = fs::recursive_directory_iterator(path_, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec))
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path_, ec);
}

void TempFolder::Write(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
    std::ofstream out(File(name), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + File(name));
}

void TempFolder::Write(const std::string& name, const std::string& text) const {
    Write(name, std::vector<std::uint8_t>(text.begin(), text.end()));
}

std::vector<std::uint8_t> TempFolder::Read(const std::string& name) const {
    std::ifstream in(File(name), std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool TempFolder::Exists(const std::string& name) const { return fs::exists(File(name)); }

ProgramFolderScope::ProgramFolderScope(const std::string& folder) { platform::SetProgramFolder(folder); }
ProgramFolderScope::~ProgramFolderScope() { platform::SetProgramFolder(""); }
SettingsFolderScope::SettingsFolderScope(const std::string& folder) {
    platform::SetSettingsFolder(folder);
}
SettingsFolderScope::~SettingsFolderScope() {
    platform::SetSettingsFolder("");
}

void CopyShippedFile(const std::string& name, const std::string& folder) {
    fs::copy_file(fs::path(VM415_BIN_DIR) / name, fs::path(folder) / name, fs::copy_options::overwrite_existing);
}

} // namespace testing_support
