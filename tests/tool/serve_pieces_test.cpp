// The server's pieces that need no socket and no chip: request targets,
// the checks of a local server, bodies made into arguments, the naming of
// chips, the event streams' bounds, and the token.
#include <gtest/gtest.h>

#include "serve/api/chip_calls.h"
#include "serve/api/command_bodies.h"
#include "serve/api/request_body.h"
#include "serve/http/access_guard.h"
#include "serve/http/request_target.h"
#include "serve/live/event_hub.h"
#include "serve/random_token.h"

namespace kelvane::tool::serve {
namespace {

using Strings = std::vector<std::string>;

TEST(ServePieces, TargetsAreSplitAndDecoded) {
    const auto target = ParseTarget("/api/chips/KV%2F1%20x/detect?token=a%2Bb+c&chip=@0&flag");
    ASSERT_TRUE(target.has_value());
    EXPECT_EQ(target->segments, (Strings{"api", "chips", "KV/1 x", "detect"}));
    EXPECT_EQ(QueryValue(*target, "token"), "a+b c");
    EXPECT_EQ(QueryValue(*target, "chip"), "@0");
    EXPECT_EQ(QueryValue(*target, "flag"), "");
    EXPECT_EQ(QueryValue(*target, "none"), std::nullopt);
    EXPECT_TRUE(ParseTarget("/")->segments.empty());
    EXPECT_EQ(ParseTarget("//x")->segments, (Strings{"", "x"}));
    EXPECT_EQ(ParseTarget("/a%2fb%4a")->segments, (Strings{"a/bJ"}));
    for (const char* refused : {"", "*", "http://evil.example/", "/%", "/%4", "/%zz", "/%1g", "/%+1", "/%-1", "/% 1",
                                "/a%00b", "/?a=%0", "/?%00=1"}) {
        EXPECT_FALSE(ParseTarget(refused).has_value()) << refused;
    }
    std::string deep;
    for (int i = 0; i < 33; ++i) {
        deep += "/a";
    }
    EXPECT_FALSE(ParseTarget(deep).has_value());
    EXPECT_TRUE(ParseTarget(deep.substr(2)).has_value());
}

HttpRequest WithHeaders(std::initializer_list<std::pair<const char*, std::string>> headers) {
    HttpRequest request;
    for (const auto& [name, value] : headers) {
        request.headers.emplace(name, value);
    }
    return request;
}

TEST(ServePieces, HostAndOriginNameThisServer) {
    const AccessGuard loopback({"t", "127.0.0.1", 8246});
    for (const char* host : {"127.0.0.1:8246", "localhost:8246", "LOCALHOST:8246", "127.1.2.3:8246", "[::1]:8246"}) {
        EXPECT_TRUE(loopback.HostAllowed(WithHeaders({{"host", host}}))) << host;
    }
    for (const char* host : {"evil.example:8246", "127.0.0.1:8247", "127.0.0.1", "localhost.evil.example:8246",
                             "127.0.0.1:8246:1", "[::1:8246", "", ":8246", "192.168.1.2:8246", "127.0.0.256:8246"}) {
        EXPECT_FALSE(loopback.HostAllowed(WithHeaders({{"Host", host}}))) << host;
    }
    EXPECT_FALSE(loopback.HostAllowed(WithHeaders({})));
    EXPECT_FALSE(loopback.HostAllowed(WithHeaders({{"Host", "127.0.0.1:8246"}, {"Host", "127.0.0.1:8246"}})));
    EXPECT_TRUE(AccessGuard({"t", "127.0.0.1", 80}).HostAllowed(WithHeaders({{"Host", "localhost"}})));

    const AccessGuard lan({"t", "192.168.1.2", 9000});
    EXPECT_TRUE(lan.HostAllowed(WithHeaders({{"Host", "192.168.1.2:9000"}})));
    EXPECT_FALSE(lan.HostAllowed(WithHeaders({{"Host", "192.168.1.3:9000"}})));
    // Bound to every address: address literals only, never a name.
    const AccessGuard every({"t", "0.0.0.0", 9000});
    EXPECT_TRUE(every.HostAllowed(WithHeaders({{"Host", "10.1.2.3:9000"}})));
    EXPECT_TRUE(every.HostAllowed(WithHeaders({{"Host", "[fe80::1]:9000"}})));
    EXPECT_FALSE(every.HostAllowed(WithHeaders({{"Host", "rebind.evil.example:9000"}})));
    EXPECT_TRUE(AccessGuard({"t", "::1", 9000}).HostAllowed(WithHeaders({{"Host", "[::1]:9000"}})));

    EXPECT_TRUE(loopback.SameOrigin(WithHeaders({{"Host", "127.0.0.1:8246"}, {"Origin", "http://127.0.0.1:8246"}})));
    EXPECT_TRUE(loopback.SameOrigin(WithHeaders({{"Host", "localhost:8246"}, {"Origin", "http://LocalHost:8246"}})));
    for (const char* origin : {"http://localhost:8246", "https://127.0.0.1:8246", "null", "", "http://127.0.0.1:8246/"}) {
        EXPECT_FALSE(loopback.SameOrigin(WithHeaders({{"Host", "127.0.0.1:8246"}, {"Origin", origin}}))) << origin;
    }
    EXPECT_FALSE(loopback.SameOrigin(WithHeaders({{"Host", "127.0.0.1:8246"}})));

    EXPECT_TRUE(IsLoopback("127.0.0.1"));
    EXPECT_TRUE(IsLoopback("::1"));
    EXPECT_TRUE(IsLoopback("localhost"));
    EXPECT_FALSE(IsLoopback("0.0.0.0"));
    EXPECT_FALSE(IsLoopback("::"));
    EXPECT_FALSE(IsLoopback("127.0.0.1.evil.example"));
}

TEST(ServePieces, TheTokenComesInTheQueryABearerOrTheCookieOfThePort) {
    const std::string token(64, 'a');
    const AccessGuard guard({token, "127.0.0.1", 8246});
    const RequestTarget bare = *ParseTarget("/api/chips");
    EXPECT_FALSE(guard.Authorised(WithHeaders({}), bare));
    EXPECT_TRUE(guard.Authorised(WithHeaders({}), *ParseTarget("/api/chips?token=" + token)));
    EXPECT_FALSE(guard.Authorised(WithHeaders({}), *ParseTarget("/api/chips?token=" + token.substr(1))));
    EXPECT_FALSE(guard.Authorised(WithHeaders({}), *ParseTarget("/api/chips?token=")));
    EXPECT_TRUE(guard.Authorised(WithHeaders({{"Authorization", "Bearer " + token}}), bare));
    EXPECT_TRUE(guard.Authorised(WithHeaders({{"Authorization", "bearer " + token}}), bare));
    EXPECT_FALSE(guard.Authorised(WithHeaders({{"Authorization", "Basic " + token}}), bare));
    EXPECT_TRUE(guard.Authorised(WithHeaders({{"Cookie", "a=1; kelvane-token-8246=" + token + "; b=2"}}), bare));
    EXPECT_FALSE(guard.Authorised(WithHeaders({{"Cookie", "kelvane-token-8247=" + token}}), bare));
    // An earlier server's cookie beside the right token in the query.
    EXPECT_TRUE(guard.Authorised(WithHeaders({{"Cookie", "kelvane-token-8246=old"}}),
                                 *ParseTarget("/?token=" + token)));
    EXPECT_EQ(guard.TokenCookie(), "kelvane-token-8246=" + token + "; Path=/; HttpOnly; SameSite=Strict");
    EXPECT_FALSE(AccessGuard({"", "127.0.0.1", 1}).Authorised(WithHeaders({{"Authorization", "Bearer "}}), bare));

    const std::string random = RandomToken();
    EXPECT_EQ(random.size(), 64u);
    EXPECT_EQ(random.find_first_not_of("0123456789abcdef"), std::string::npos);
    EXPECT_NE(random, RandomToken());
    EXPECT_TRUE(TokenAcceptable(random));
    EXPECT_FALSE(TokenAcceptable(std::string(31, 'a')));
    EXPECT_FALSE(TokenAcceptable(std::string(257, 'a')));
    EXPECT_FALSE(TokenAcceptable(std::string(40, 'a') + "&"));
}

Strings Arguments(const std::string& action, const nlohmann::json& body) {
    CommandCall call;
    EXPECT_TRUE(ChipCommand(action, body, call)) << action;
    return call.subcommand;
}

int RefusalOf(const std::string& action, const nlohmann::json& body) {
    try {
        CommandCall call;
        ChipCommand(action, body, call);
    } catch (const BadRequest& refused) {
        return refused.Status();
    }
    return 0;
}

TEST(ServePieces, BodiesBecomeTheSubcommandsArguments) {
    EXPECT_EQ(Arguments("detect", nlohmann::json::object()), (Strings{"detect"}));
    EXPECT_EQ(Arguments("detect", {{"probe", "read"}, {"all", true}, {"first", 3}, {"last", 9}}),
              (Strings{"detect", "-a", "-r", "3", "9"}));
    EXPECT_EQ(Arguments("get", {{"address", 80}, {"register", 16}, {"mode", "i"}, {"length", 4}}),
              (Strings{"get", "--", "80", "16", "i", "4"}));
    EXPECT_EQ(Arguments("set", {{"address", 80}, {"register", 1}, {"values", {1, 2}}, {"mode", "i"}, {"read_back", true}}),
              (Strings{"set", "-r", "--", "80", "1", "1", "2", "i"}));
    EXPECT_EQ(Arguments("dump", {{"address", 11}, {"first", 0}, {"last", 15}, {"mode", "w"}}),
              (Strings{"dump", "-r", "0-15", "--", "11", "w"}));
    // i2ctransfer's words after "--": none of them can be an option.
    EXPECT_EQ(Arguments("transfer", {{"messages", {"--allow-stop", "w1@0x50"}}}),
              (Strings{"transfer", "--", "--allow-stop", "w1@0x50"}));
    EXPECT_EQ(Arguments("gpio", {{"pin", 2}, {"direction", "out"}, {"level", 1}}), (Strings{"gpio", "2", "out", "1"}));
    EXPECT_EQ(Arguments("dac", {{"reference", 3}, {"supply", 3.3}, {"value", 7}}),
              (Strings{"dac", "--reference=3", "--supply=3.3", "--", "7"}));
    EXPECT_EQ(Arguments("config/apply", {{"toml", "x"}, {"password", "-r --all"}}),
              (Strings{"config", "apply", "--password=-r --all", "--", "request.toml"}));
    CommandCall unknown;
    EXPECT_FALSE(ChipCommand("erase", nlohmann::json::object(), unknown));

    EXPECT_EQ(RefusalOf("detect", {{"speed", 1}}), 400);
    EXPECT_EQ(RefusalOf("detect", {{"speed", true}}), 400);
    EXPECT_EQ(RefusalOf("detect", {{"last", 9}}), 400);
    EXPECT_EQ(RefusalOf("get", {{"address", 80}, {"mode", "x"}}), 400);
    EXPECT_EQ(RefusalOf("get", {{"address", 80}, {"length", 4}}), 400);
    EXPECT_EQ(RefusalOf("set", {{"address", 80}, {"register", 1}, {"mode", "w"}}), 400);
    EXPECT_EQ(RefusalOf("transfer", {{"messages", {1}}}), 400);
    EXPECT_EQ(RefusalOf("gpio", {{"pin", 1}, {"level", 1}}), 400);
    EXPECT_EQ(RefusalOf("reset", {{"now", true}}), 400);
    EXPECT_EQ(RefusalOf("config/apply", {{"config", {{"usb", {{"product", "x"}}}}}, {"yes_lock", true}}), 400);

    EXPECT_EQ(ConfigTomlFromJson({{"usb", {{"product", "a \"b\"\n"}, {"vendor_id", 4617}}}, {"pins", {{"gp1", {{"value", 1}}}}}}),
              "pins.gp1.value = 1\nusb.product = \"a \\\"b\\\"\\u000a\"\nusb.vendor_id = 4617\n");
    EXPECT_EQ(ConfigTomlFromJson({{"odd key", {{"x.y", true}}}}), "\"odd key\".\"x.y\" = true\n");
    const auto refusedToml = [](const nlohmann::json& config) {
        try {
            ConfigTomlFromJson(config);
        } catch (const BadRequest&) {
            return true;
        }
        return false;
    };
    EXPECT_TRUE(refusedToml({{"usb", {{"current_ma", 2.5}}}}));
    EXPECT_TRUE(refusedToml({{"usb", {{"serial", nullptr}}}}));
    EXPECT_TRUE(refusedToml({{"usb", {{"serial", {1, 2}}}}}));
    EXPECT_TRUE(refusedToml({{"a", {{"b", {{"c", {{"d", 1}}}}}}}}));

    EXPECT_THROW(ParseBody(""), BadRequest);
    EXPECT_THROW(ParseBody("[1]"), BadRequest);
    EXPECT_THROW(ParseBody("{\"a\": [[[[[[[1]]]]]]]}"), BadRequest);
    EXPECT_NO_THROW(ParseBody("{\"a\": \"[[[[[[[[[[\"}"));  // brackets in a string do not count
}

TEST(ServePieces, ChipsAreNamedBySerialNumberOrIndex) {
    const nlohmann::json list = {{"chips",
                                  {{{"index", 0}, {"serial", "A"}},
                                   {{"index", 1}, {"serial", "TWIN"}},
                                   {{"index", 2}, {"serial", "TWIN"}},
                                   {{"index", 3}, {"serial", ""}}}}};
    EXPECT_EQ(ResolveChip(list, "A"), 0);
    EXPECT_EQ(ResolveChip(list, "@2"), 2);
    EXPECT_EQ(ResolveChip(list, "@3"), 3);
    const auto status = [&](const std::string& name) {
        try {
            ResolveChip(list, name);
        } catch (const BadRequest& refused) {
            return refused.Status();
        }
        return 200;
    };
    EXPECT_EQ(status("TWIN"), 409);
    EXPECT_EQ(status("B"), 404);
    EXPECT_EQ(status(""), 404);
    EXPECT_EQ(status("@4"), 404);
    EXPECT_EQ(status("@64"), 404);
    EXPECT_EQ(status("@x"), 404);
    EXPECT_EQ(status("@99999999999999999999"), 404);
}

TEST(ServePieces, EventStreamsAreBounded) {
    EventStream stream("KV000001");
    stream.Push("adc", "{}");
    EXPECT_EQ(stream.Take(std::chrono::milliseconds(0)), "event: adc\ndata: {}\n\n");
    EXPECT_EQ(stream.Take(std::chrono::milliseconds(0)), "");
    const std::string big(EventStream::kMostWaiting / 4, 'x');
    for (int i = 0; i < 5; ++i) {
        stream.Push("adc", big);  // a client that takes nothing
    }
    EXPECT_TRUE(stream.Closed());
    EXPECT_EQ(stream.Take(std::chrono::milliseconds(0)), std::nullopt);

    EventHub hub;
    std::vector<std::shared_ptr<EventStream>> open;
    for (std::size_t i = 0; i < EventHub::kMostStreams; ++i) {
        open.push_back(hub.Open(i % 2 == 0 ? "A" : "B"));
        ASSERT_NE(open.back(), nullptr);
    }
    EXPECT_EQ(hub.Open("C"), nullptr);
    EXPECT_EQ(hub.WatchedChips(), (Strings{"A", "B"}));
    open.back()->Close();  // a client went: its place is free
    const nlohmann::json chips = {{"chips", nlohmann::json::array()}};
    EXPECT_TRUE(hub.PublishChips(chips));
    EXPECT_FALSE(hub.PublishChips(chips));  // unchanged: not sent again
    hub.PublishPins("A", {{"pins", {1}}});
    hub.PublishPins("A", {{"pins", {1}}});
    hub.PublishAdc("B", {{"time", 1}});
    EXPECT_EQ(open[0]->Take(std::chrono::milliseconds(0)),
              "event: chips\ndata: {\"chips\":[]}\n\nevent: pins\ndata: {\"pins\":[1]}\n\n");
    EXPECT_EQ(open[1]->Take(std::chrono::milliseconds(0)),
              "event: chips\ndata: {\"chips\":[]}\n\nevent: adc\ndata: {\"time\":1}\n\n");
    const std::shared_ptr<EventStream> late = hub.Open("A");
    ASSERT_NE(late, nullptr);
    EXPECT_EQ(late->Take(std::chrono::milliseconds(0)),
              "event: chips\ndata: {\"chips\":[]}\n\nevent: pins\ndata: {\"pins\":[1]}\n\n");
    hub.CloseAll();
    EXPECT_TRUE(open[0]->Closed());
    EXPECT_EQ(hub.Open("A"), nullptr);
}

}  // namespace
}  // namespace kelvane::tool::serve
