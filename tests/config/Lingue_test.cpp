// The shipped language table must answer every key the program can ask for, in all four languages.
#include "config/ChiaviLingua.h"
#include "config/ConfigPc.h"
#include "config/GetMessage_11.h"
#include "platform/text/Cp1252.h"

#include "support/ScriptedDialogs.h"
#include "support/TempFolder.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <regex>
#include <set>
#include <sstream>

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

std::string ShippedTable() { return ReadAll(fs::path(VM415_SOURCE_DIR) / "data" / "Lingue.csv"); }

// Every "STR..." literal in the program's sources; bare family prefixes end in '_' or are listed
// as families and are not asked for on their own.
std::set<std::string> KeysInSources() {
    std::set<std::string> keys;
    const std::regex literal("\"(STR[A-Z0-9_]+)\"");
    for (const char* folder : {"config", "link", "serial", "ui", "platform"}) {
        const fs::path root = fs::path(VM415_SOURCE_DIR) / folder;
        if (!fs::exists(root)) continue;
        for (const auto& e : fs::recursive_directory_iterator(root)) {
            const auto ext = e.path().extension();
            if (ext != ".cpp" && ext != ".h") continue;
            const std::string text = ReadAll(e.path());
            for (auto it = std::sregex_iterator(text.begin(), text.end(), literal); it != std::sregex_iterator(); ++it)
                keys.insert((*it)[1]);
        }
    }
    for (const auto& f : FamiglieChiavi) keys.erase(f.Prefisso);
    std::erase_if(keys, [](const std::string& k) { return k.back() == '_'; });
    return keys;
}

} // namespace

TEST(ShippedLanguageTable, EveryLineHasFourTextsAndCrLfEndings) {
    const std::string table = ShippedTable();
    ASSERT_FALSE(table.empty());
    std::istringstream in(table);
    std::string line;
    std::set<std::string> seen;
    int n = 0;
    while (std::getline(in, line)) {
        ++n;
        ASSERT_FALSE(line.empty()) << "line " << n;
        ASSERT_EQ(line.back(), '\r') << "line " << n << " must end in CR LF";
        line.pop_back();
        std::vector<std::string> fields;
        std::stringstream ls(line);
        for (std::string f; std::getline(ls, f, ';');) fields.push_back(f);
        ASSERT_EQ(fields.size(), 5u) << line;
        EXPECT_TRUE(seen.insert(fields[0]).second) << "duplicate key " << fields[0];
        for (std::size_t i = 1; i < 5; ++i) {
            EXPECT_FALSE(fields[i].empty()) << fields[0] << " column " << i;
            EXPECT_NE(fields[i], "...") << fields[0];
            // Windows-1252 text: a UTF-8 sequence would show up as Ã or Â pairs once converted.
            EXPECT_EQ(Cp1252ToUtf8(fields[i]).find("Ã"), std::string::npos) << fields[0] << " looks like UTF-8";
        }
    }
    EXPECT_GT(n, 300);
}

TEST(ShippedLanguageTable, AnswersEveryKeyTheProgramAsksForInEachLanguage) {
    std::set<std::string> keys = KeysInSources();
    for (const auto& f : FamiglieChiavi)
        for (int i = f.Primo; i <= f.Ultimo; ++i) keys.insert(ChiaveDiFamiglia(f, i));
    ASSERT_GT(keys.size(), 30u);

    testing_support::TempFolder dir;
    testing_support::ProgramFolderScope scope(dir.Path());
    testing_support::CopyShippedFile("Lingue.csv", dir.Path());
    testing_support::ScriptedDialogs dialogs;
    for (int lingua = 0; lingua < 4; ++lingua) {
        ConfigPc.Lingua = lingua;
        for (const auto& k : keys) {
            const std::string t = GetMessaggio(k);
            EXPECT_FALSE(t.empty() || t == "...") << k << " in language " << lingua;
        }
    }
    ConfigPc.Lingua = 0;
    EXPECT_TRUE(dialogs.Messages().empty()) << dialogs.Messages().front().Text;
}

TEST(ShippedLanguageTable, FamilyKeysAreBuiltWithTheirWidths) {
    EXPECT_EQ(ChiaveDiFamiglia(ChiaviEventiCid, 7), "STREVC_CID07");
    EXPECT_EQ(ChiaveDiFamiglia(ChiaviMessaggiVocali, 4), "STRMSG_MSGNUM004");
    EXPECT_EQ(ChiaveDiFamiglia(ChiaviAbilNumTelSms, 8), "STRMAIN_ABILNUMTELSMS8");
    EXPECT_EQ(ChiaveDiFamiglia(ChiaviTempoSupervisione, 5), "STRMAIN_TEMPO5SPV");
}
