#include "app/command_line_help.h"
#include "app/dry_run_start.h"

#include <gtest/gtest.h>

namespace {

constexpr HelpLanguage kJa = HelpLanguage::Japanese;
constexpr HelpLanguage kEn = HelpLanguage::English;

TEST(CommandLineHelpTest, OnlyTheTwoExactArgumentsPrintInsteadOfStarting) {
    EXPECT_EQ(commandLineHelp("--version", "fennick", "/h/.config/fennick/", kJa),
              QStringLiteral("Fennick 1.1.0\n"));
    const std::optional<QString> help =
        commandLineHelp("--help", "fen%2nick", "/h/.config/fennick/", kJa);
    ASSERT_TRUE(help);
    EXPECT_TRUE(help->startsWith("使い方: fen%2nick [/c数字 | /d数字 | /m数字]\n"));
    EXPECT_TRUE(help->contains("このプログラムのフォルダー: /h/.config/fennick/"));
    EXPECT_TRUE(help->contains("終了ステータス:"));
    // Everything else is a launch argument, as it always was.
    for (const char* argument : {"", "/c3", "--help /c3", "--HELP", "-h", "/c--help", "--version "})
        EXPECT_FALSE(commandLineHelp(argument, "fennick", "/", kJa).has_value()) << argument;
}

TEST(CommandLineHelpTest, TheHelpSpeaksJapaneseOnlyUnderAJapaneseLocale) {
    // LC_ALL, then LC_MESSAGES, then LANG: the first one set decides.
    EXPECT_EQ(helpLanguage("", "", "ja_JP.UTF-8"), kJa);
    EXPECT_EQ(helpLanguage("", "ja_JP.eucJP", "C.UTF-8"), kJa);
    EXPECT_EQ(helpLanguage("C", "ja_JP.UTF-8", "ja_JP.UTF-8"), kEn);
    EXPECT_EQ(helpLanguage("ja", "", "en_US.UTF-8"), kJa);
    EXPECT_EQ(helpLanguage("", "", ""), kEn);
    const QString english = *commandLineHelp("--help", "fennick", "/a/", kEn);
    EXPECT_TRUE(english.startsWith("Usage: fennick [/cN | /dN | /mN]\n"));
    EXPECT_TRUE(english.contains("this program's folder: /a/"));
    // Both say what a dry run cannot foresee.
    EXPECT_TRUE(english.contains("cannot foresee write errors"));
    EXPECT_TRUE(commandLineHelp("--help", "fennick", "/a/", kJa)->contains("予測できません"));
}

TEST(CommandLineHelpTest, ADryRunTakesTheRestAsItsLaunchArgument) {
    EXPECT_EQ(dryRunArgument("--dry-run /d3"), QStringLiteral("/d3"));
    EXPECT_EQ(dryRunArgument("--dry-run /c1 2"), QStringLiteral("/c1 2"));
    EXPECT_EQ(dryRunArgument("--dry-run"), QString());
    for (const char* argument : {"/d3", "--dry-run=/d3", "--dry-runs /d3", "/d3 --dry-run"})
        EXPECT_FALSE(dryRunArgument(argument).has_value()) << argument;
}

} // namespace
