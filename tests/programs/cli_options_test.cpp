#include "programs/cli/cli_options.h"

#include <gtest/gtest.h>

using Action = CliOptions::Action;

TEST(CliOptions, HelpAndVersionWinOverEverythingElse) {
    EXPECT_EQ(ParseCliArguments({}).action, Action::UsageError);
    EXPECT_EQ(ParseCliArguments({"a.png", "--help"}).action, Action::Help);
    EXPECT_EQ(ParseCliArguments({"--version", "--bogus"}).action, Action::Version);
}

TEST(CliOptions, ImagesWithKindAndEngine) {
    const CliOptions o =
        ParseCliArguments({"--kind", "15", "a.png", "--engine", "offline", "b.jpg"});
    EXPECT_EQ(o.action, Action::Recognize);
    EXPECT_EQ(o.kind, KindCode::Table);
    EXPECT_EQ(o.engine, CliOptions::Engine::Offline);
    EXPECT_EQ(o.images, (std::vector<std::string>{"a.png", "b.jpg"}));
    // After "--" a name that starts with a dash is an image.
    EXPECT_EQ(ParseCliArguments({"--", "-odd.png"}).images, (std::vector<std::string>{"-odd.png"}));
}

TEST(CliOptions, MistakesAreUsageErrorsWithAReason) {
    for (const auto& args : std::vector<std::vector<std::string>>{{"--kind"},
                                                                  {"--kind", "16", "a.png"},
                                                                  {"--kind", "3x", "a.png"},
                                                                  {"--engine", "gpu", "a.png"},
                                                                  {"--frobnicate"},
                                                                  {"--engine", "cloud"}}) {
        const CliOptions o = ParseCliArguments(args);
        EXPECT_EQ(o.action, Action::UsageError) << args[0];
        EXPECT_FALSE(o.error.empty());
    }
}
