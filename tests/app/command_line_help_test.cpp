#include "app/command_line_help.h"

#include <gtest/gtest.h>

namespace {

TEST(CommandLineHelpTest, OnlyTheTwoExactArgumentsPrintInsteadOfStarting) {
    EXPECT_EQ(commandLineHelp("--version", "fennick", "/h/.config/fennick/"),
              QStringLiteral("Fennick 1.1.0\n"));
    const std::optional<QString> help =
        commandLineHelp("--help", "fen%2nick", "/h/.config/fennick/");
    ASSERT_TRUE(help);
    EXPECT_TRUE(help->startsWith("使い方: fen%2nick [/c数字 | /d数字 | /m数字]\n"));
    EXPECT_TRUE(help->contains("このプログラムのフォルダー: /h/.config/fennick/"));
    EXPECT_TRUE(help->contains("終了ステータス:"));
    // Everything else is a launch argument, as it always was.
    for (const char* argument : {"", "/c3", "--help /c3", "--HELP", "-h", "/c--help", "--version "})
        EXPECT_FALSE(commandLineHelp(argument, "fennick", "/").has_value()) << argument;
}

} // namespace
