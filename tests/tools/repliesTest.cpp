// What the module answers, and the JSON reading it rests on.
#include "tools/korvane-sim/replies.h"

#include <gtest/gtest.h>

#include "tools/korvane-sim/jsonMembers.h"

namespace {

using sim::replyToCommand;

const sim::Identity module = sim::identityForPort(99);

TEST(SimReplies, BuiltInCommandsGetTheirRepliesWithTheSameTid) {
    EXPECT_EQ(replyToCommand(R"({"method":"get","params":"all","tid":1001})", module),
              "{\"tid\":1001,\"result\":{\"id\":\"KV-0099\",\"fw\":\"3.1.0\",\"power\":14,\"channel\":11,"
              "\"pan\":\"7A3F\"}}\r\n");
    EXPECT_EQ(replyToCommand(R"({"method":"set","password":"739251","tid":1001,"xxx":"yyy"})", module),
              "{\"tid\":1001,\"result\":\"ok\"}\r\n");
    EXPECT_EQ(replyToCommand(R"({"method":"get","at":"id","tid":1001})", module),
              "{\"tid\":1001,\"result\":{\"id\":\"KV-0099\"}}\r\n");
    EXPECT_EQ(replyToCommand(R"({"method":"reboot","params":"save","tid":1001})", module),
              "{\"tid\":1001,\"result\":\"rebooting\"}\r\n");
}

TEST(SimReplies, CommandsAreRecognisedByContentNotText) {
    EXPECT_EQ(replyToCommand("{ \"tid\" : 7 ,\r\n \"at\":\"id\", \"method\" :\t\"get\" }", module),
              "{\"tid\":7,\"result\":{\"id\":\"KV-0099\"}}\r\n");
    EXPECT_EQ(replyToCommand(R"({"method":"g\u0065t","params":"all","tid":-3})", module).substr(0, 20),
              "{\"tid\":-3,\"result\":{");
    EXPECT_EQ(sim::identityForPort(1024).id, "KV-1024");
}

TEST(SimReplies, TidIsEchoedAsSentOnOneLine) {
    EXPECT_EQ(replyToCommand(R"({"method":"reboot","tid":"a\"b"})", module),
              "{\"tid\":\"a\\\"b\",\"result\":\"rebooting\"}\r\n");
    EXPECT_EQ(replyToCommand("{\"method\":\"reboot\",\"tid\":[1,\n {\"k\" : 2}]}", module),
              "{\"tid\":[1,{\"k\":2}],\"result\":\"rebooting\"}\r\n");
    EXPECT_EQ(replyToCommand(R"({"method":"reboot","tid":2.5e3})", module),
              "{\"tid\":2.5e3,\"result\":\"rebooting\"}\r\n");
    EXPECT_EQ(replyToCommand(R"({"method":"reboot"})", module), "{\"result\":\"rebooting\"}\r\n");
}

TEST(SimReplies, OtherObjectsGetAnErrorWithTheirTid) {
    EXPECT_EQ(replyToCommand(R"({"method":"format","tid":12})", module), "{\"tid\":12,\"error\":\"unknown method\"}\r\n");
    EXPECT_EQ(replyToCommand(R"({"tid":13})", module), "{\"tid\":13,\"error\":\"unknown method\"}\r\n");
    EXPECT_EQ(replyToCommand(R"({"method":["get"],"tid":14})", module),
              "{\"tid\":14,\"error\":\"unknown method\"}\r\n");
    EXPECT_EQ(replyToCommand(R"({"method":"get","params":"none","tid":15})", module),
              "{\"tid\":15,\"error\":\"unknown parameter\"}\r\n");
    EXPECT_EQ(replyToCommand(R"({"method":"set","tid":16})", module),
              "{\"tid\":16,\"error\":\"password required\"}\r\n");
}

TEST(SimReplies, UnreadableObjectsGetAnErrorWithoutTid) {
    for (const char* bad : {R"({oops})", R"({"tid":1,})", R"({"tid":01})", R"({"tid":1 "method":"get"})",
                            "{\"tid\":\"a\nb\"}", R"({"tid":"\ud800"})", R"({"tid":tru})", R"({"tid":1}})"}) {
        EXPECT_EQ(replyToCommand(bad, module), "{\"error\":\"invalid json\"}\r\n") << bad;
    }
}

TEST(SimReplies, LinesAreEchoedAndRunawayCommandsRefused) {
    EXPECT_EQ(sim::replyTo({sim::Piece::Kind::Line, "AT+ID"}, module), "AT+ID\r\n");
    EXPECT_EQ(sim::replyTo({sim::Piece::Kind::Line, "\xCE\xC2\xB6\xC8"}, module), "\xCE\xC2\xB6\xC8\r\n");
    EXPECT_EQ(sim::replyTo({sim::Piece::Kind::TooLong, ""}, module), "{\"error\":\"command too long\"}\r\n");
}

TEST(SimJsonMembers, StringsAreDecodedAndRepeatedNamesKeepTheLast) {
    const auto members = sim::readObjectMembers(R"( {"a":"x\n\u00e9\ud83d\ude00\/","b":true,"b":null,"c":{}} )");
    ASSERT_TRUE(members);
    EXPECT_EQ(members->at("a").text, "x\n\xC3\xA9\xF0\x9F\x98\x80/");
    EXPECT_TRUE(members->at("a").isString);
    EXPECT_EQ(members->at("b").compact, "null");
    EXPECT_FALSE(members->at("c").isString);
    EXPECT_EQ(members->at("c").compact, "{}");
    EXPECT_EQ(sim::readObjectMembers("{}")->size(), 0u);
}

TEST(SimJsonMembers, DeepNestingIsRefusedRatherThanOverflowingTheStack) {
    const std::string deep = "{\"a\":" + std::string(3000, '[') + std::string(3000, ']') + "}";
    EXPECT_FALSE(sim::readObjectMembers(deep));
    const std::string fine = "{\"a\":" + std::string(20, '[') + std::string(20, ']') + "}";
    EXPECT_TRUE(sim::readObjectMembers(fine));
}

}  // namespace
