// Random language tables and keys: the lookup must never crash, and a found text must be one
// of the fields of the table.
#include "config/ConfigPc.h"
#include "config/GetMessage_11.h"
#include "platform/fs/ProgramFolder.h"
#include "platform/gui/Dialogs.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

struct Silent : platform::gui::DialogService {
    platform::gui::MsgResult Message(platform::gui::MsgKind, const std::string&, platform::gui::MsgButtons) override {
        return platform::gui::MsgResult::Ok;
    }
    std::optional<std::string> OpenFile(const platform::gui::FileDialogOptions&) override { return {}; }
    std::optional<std::string> SaveFile(const platform::gui::FileDialogOptions&) override { return {}; }
};

std::string Folder() {
    static std::string folder = [] {
        char tmpl[] = "/tmp/vm415-fuzz-XXXXXX";
        return std::string(mkdtemp(tmpl)) + "/";
    }();
    return folder;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Silent silent;
    platform::gui::SetDialogs(&silent);
    platform::SetProgramFolder(Folder());
    if (size < 2) return 0;
    // First byte: the language; then the key up to the first NUL, then the table.
    ConfigPc.Lingua = std::int8_t(data[0]) % 12;
    const std::string rest(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::size_t nul = rest.find('\0');
    const std::string key = rest.substr(0, nul);
    const std::string table = nul == std::string::npos ? std::string() : rest.substr(nul + 1);
    std::FILE* f = std::fopen((Folder() + "Lingue.csv").c_str(), "wb");
    if (!f) return 0;
    std::fwrite(table.data(), 1, table.size(), f);
    std::fclose(f);
    const std::string text = GetMessaggio(key);
    if (text != "..." && table.find(text) == std::string::npos) std::abort();
    return 0;
}
