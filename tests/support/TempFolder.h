#pragma once
// A fresh temporary folder for one test, removed with everything in it when the test ends.
#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder, with a trailing '/'.
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + name; }

    void Write(const std::string& name, const std::vector<std::uint8_t>& bytes) const;
    void Write(const std::string& name, const std::string& text) const;
    std::vector<std::uint8_t> Read(const std::string& name) const;
    bool Exists(const std::string& name) const;

private:
    std::string path_;
};

// Points the program folder at a temporary folder for one test, restoring it afterwards.
class ProgramFolderScope {
public:
    explicit ProgramFolderScope(const std::string& folder);
    ~ProgramFolderScope();
};

// Points the user's settings folder at a temporary folder for one test, restoring it afterwards.
class SettingsFolderScope {
  public:
    explicit SettingsFolderScope(const std::string& folder);
    ~SettingsFolderScope();
};

// Copies a shipped data file (Lingue.csv, ...) from the build's program folder into `folder`.
void CopyShippedFile(const std::string& name, const std::string& folder);

} // namespace testing_support
