#include "core/cmdline.h"

#include <gtest/gtest.h>

#include <vector>

namespace {
Options parse(std::vector<const char*> args) { return parse_command_line(static_cast<int>(args.size()), args.data()); }
}  // namespace

TEST(CommandLine, NoArgumentsGivesFullscreen640x480WithAntialias) {
    Options o = parse({"./tumbo"});
    EXPECT_FALSE(o.windowed);
    EXPECT_TRUE(o.request_antialias);
    EXPECT_EQ(o.window_width, 640);
    EXPECT_EQ(o.window_height, 480);
}

TEST(CommandLine, FlagsAlone) {
    Options w = parse({"tumbo", "-w"});
    EXPECT_TRUE(w.windowed);
    EXPECT_TRUE(w.request_antialias);
    EXPECT_EQ(w.window_width, 640);
    EXPECT_EQ(w.window_height, 480);

    Options a = parse({"tumbo", "-a"});
    EXPECT_FALSE(a.windowed);
    EXPECT_FALSE(a.request_antialias);
}

TEST(CommandLine, SizeAfterFlags) {
    Options o = parse({"tumbo", "-w", "800", "600"});
    EXPECT_TRUE(o.windowed);
    EXPECT_EQ(o.window_width, 800);
    EXPECT_EQ(o.window_height, 600);

    Options both = parse({"tumbo", "-a", "-w", "1024", "768"});
    EXPECT_TRUE(both.windowed);
    EXPECT_FALSE(both.request_antialias);
    EXPECT_EQ(both.window_width, 1024);
    EXPECT_EQ(both.window_height, 768);
}

TEST(CommandLine, SizeComesFromTheLastTwoArgumentsSoTrailingFlagsBreakIt) {
    Options o = parse({"tumbo", "800", "600", "-w"});
    EXPECT_TRUE(o.windowed);
    EXPECT_EQ(o.window_width, 600);
    EXPECT_EQ(o.window_height, 0);
}

TEST(CommandLine, OneNumberKeepsTheDefaultSize) {
    Options o = parse({"tumbo", "-w", "800"});
    EXPECT_EQ(o.window_width, 640);
    EXPECT_EQ(o.window_height, 480);
}

TEST(CommandLine, RepeatedFlagsAreEachCounted) {
    // Two flags: the size needs at least five arguments in all.
    Options four = parse({"tumbo", "-w", "-w", "800"});
    EXPECT_TRUE(four.windowed);
    EXPECT_EQ(four.flag_count, 2);
    EXPECT_EQ(four.window_width, 640);
    EXPECT_EQ(four.window_height, 480);

    Options five = parse({"tumbo", "-w", "-w", "800", "600"});
    EXPECT_EQ(five.window_width, 800);
    EXPECT_EQ(five.window_height, 600);
}

TEST(CommandLine, TwoPlainArgumentsAreASize) {
    Options o = parse({"tumbo", "320", "200"});
    EXPECT_FALSE(o.windowed);
    EXPECT_EQ(o.window_width, 320);
    EXPECT_EQ(o.window_height, 200);
}

TEST(CommandLine, ProgramNameEndingInWSelectsWindowed) {
    EXPECT_TRUE(parse({"/usr/local/bin/tumbow"}).windowed);
    EXPECT_TRUE(parse({"tumbow", "-w"}).windowed);
    EXPECT_FALSE(parse({"./tumboW"}).windowed);  // only lower-case w
    EXPECT_FALSE(parse({"./wtumbo"}).windowed);
    EXPECT_FALSE(parse({""}).windowed);
}

TEST(CommandLine, SizesParseLikeStrtol) {
    Options o = parse({"tumbo", "abc", "12px"});
    EXPECT_EQ(o.window_width, 0);  // no digits
    EXPECT_EQ(o.window_height, 12);  // trailing text ignored

    Options neg = parse({"tumbo", "-5", "+7"});
    EXPECT_EQ(neg.window_width, -5);
    EXPECT_EQ(neg.window_height, 7);
}

TEST(CommandLine, SizesBeyond32BitsSaturateInsteadOfWrapping) {
    Options o = parse({"tumbo", "4294967936", "-99999999999"});
    EXPECT_EQ(o.window_width, INT32_MAX);
    EXPECT_EQ(o.window_height, INT32_MIN);
}

TEST(CommandLine, FlagsMustMatchExactly) {
    Options o = parse({"tumbo", "-wa", "--w", "-W"});
    EXPECT_FALSE(o.windowed);
    EXPECT_TRUE(o.request_antialias);
    EXPECT_EQ(o.flag_count, 0);
}

TEST(CommandLine, MissingProgramNameIsTolerated) {
    Options o = parse_command_line(0, nullptr);
    EXPECT_FALSE(o.windowed);
    EXPECT_EQ(o.window_width, 640);
}
