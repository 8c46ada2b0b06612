#include "core/cmdline.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace {
struct Case {
    std::vector<const char*> argv;
    bool windowed, antialias;
    int32_t width, height;
};

// Each row: a command line and what it must give.
const Case cases[] = {
    {{"./tumbo"}, false, true, 640, 480},
    {{"tumbo", "-w"}, true, true, 640, 480},
    {{"tumbo", "-a"}, false, false, 640, 480},
    {{"tumbo", "-w", "800", "600"}, true, true, 800, 600},
    {{"tumbo", "-a", "-w", "1024", "768"}, true, false, 1024, 768},
    {{"tumbo", "320", "200"}, false, true, 320, 200},
    // The size is the last two arguments, so a trailing flag breaks it.
    {{"tumbo", "800", "600", "-w"}, true, true, 600, 0},
    {{"tumbo", "-w", "800"}, true, true, 640, 480},
    // Repeats count: two flags need five arguments in all for a size.
    {{"tumbo", "-w", "-w", "800"}, true, true, 640, 480},
    {{"tumbo", "-w", "-w", "800", "600"}, true, true, 800, 600},
    // A program name ending in a lower-case w means windowed.
    {{"/usr/local/bin/tumbow"}, true, true, 640, 480},
    {{"tumbow", "-w"}, true, true, 640, 480},
    {{"./tumboW"}, false, true, 640, 480},
    {{"./wtumbo"}, false, true, 640, 480},
    {{""}, false, true, 640, 480},
    // Flags match exactly; near misses are no flags, so here the last two
    // of them are read as the size.
    {{"tumbo", "-wa", "--w", "-W"}, false, true, 0, 0},
    // strtol: no digits give 0, trailing text is ignored, signs are read.
    {{"tumbo", "abc", "12px"}, false, true, 0, 12},
    {{"tumbo", "-5", "+7"}, false, true, -5, 7},
    // Beyond 32 bits: saturated, not wrapped into a plausible size.
    {{"tumbo", "4294967936", "-99999999999"}, false, true, INT32_MAX, INT32_MIN},
};
}  // namespace

TEST(CommandLine, EveryCaseGivesItsModeAntialiasRequestAndSize) {
    for (const Case& c : cases) {
        std::string line;
        for (const char* a : c.argv) line += std::string(a) + " ";
        Options o = parse_command_line(static_cast<int>(c.argv.size()), c.argv.data());
        EXPECT_EQ(o.windowed, c.windowed) << line;
        EXPECT_EQ(o.request_antialias, c.antialias) << line;
        EXPECT_EQ(o.window_width, c.width) << line;
        EXPECT_EQ(o.window_height, c.height) << line;
    }
}

TEST(CommandLine, MissingProgramNameIsTolerated) {
    Options o = parse_command_line(0, nullptr);
    EXPECT_FALSE(o.windowed);
    EXPECT_EQ(o.window_width, 640);
}

TEST(CommandLine, HelpOrVersionAnywhereIsAskedForAndTheFirstWins) {
    struct Asked {
        std::vector<const char*> argv;
        DemoRequest request;
    };
    const Asked asked[] = {
        {{"tumbo"}, DemoRequest::run},
        {{"tumbo", "-w", "800", "600"}, DemoRequest::run},
        {{"tumbo", "--help"}, DemoRequest::help},
        {{"tumbo", "--version"}, DemoRequest::version},
        {{"tumbo", "-w", "800", "--version"}, DemoRequest::version},
        {{"tumbo", "--version", "--help"}, DemoRequest::version},
        {{"tumbo", "--help", "--version"}, DemoRequest::help},
        // Exact words only: near misses stay arguments of the show.
        {{"tumbo", "-help", "--Version"}, DemoRequest::run},
        {{"tumbo", "--help=1", "-h"}, DemoRequest::run},
    };
    for (const Asked& a : asked) {
        Options o = parse_command_line(static_cast<int>(a.argv.size()), a.argv.data());
        EXPECT_EQ(o.request, a.request) << a.argv.back();
    }
    // A near miss is read as today: here, as the size.
    const char* argv[] = {"tumbo", "-w", "--help=1", "600"};
    Options o = parse_command_line(4, argv);
    EXPECT_EQ(o.window_width, 0);
    EXPECT_EQ(o.window_height, 600);
}
