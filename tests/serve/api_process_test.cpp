// `kelvane serve` as a process on the virtual-chip flavour, through its
// HTTP API: every call's document against `kelvane --json` of the same
// subcommand, the refusals of a local server (token, Host, Origin, method,
// media type, size), hostile bodies, 50 clients at once, the event stream,
// a chip that goes and comes back, and the stop. Under wine for the
// Windows builds.
#include <algorithm>
#include <atomic>
#include <set>
#include <thread>

#include "serve/api_client.h"
#include "serve/server_process.h"
#include "tool/process/tool_process_test.h"

namespace kelvane::testing {
namespace {

// The tool bench with inputs that move and no state kept, so that every
// process starts from the bench.
constexpr char kServeBench[] =
    "state=\n"
    "plug=plugs.txt\n"
    "chip serial=KV000001\n"
    "  eeprom addr7=50 size=256 pattern=index\n"
    "  smbus addr7=0b registers=256 block=4 pec=on pattern=index\n"
    "  adc channel=1 wave=ramp min=0 max=4000 period=1000\n"
    "  gp pin=0 direction=out value=0\n";

class ServeApiTest : public ToolProcessTest {
protected:
    void SetUp() override {
        ToolProcessTest::SetUp();
        WriteBench(kServeBench);
    }

    // Starts the server; the client, or null when it did not start.
    ApiClient* Serve(std::vector<std::string> args = {}) {
        args.insert(args.begin(), {"serve", "--port", "0", "--no-browser"});
        const std::string line = server_.Start(Directory() / kProgramFile, Directory(), PathOf("bench.txt"), args);
        const std::string prefix = "kelvane: serving on http://127.0.0.1:";
        if (line.rfind(prefix, 0) != 0) {
            ADD_FAILURE() << "first line: '" << line << "'; standard error: " << server_.Stderr();
            return nullptr;
        }
        const std::size_t slash = line.find('/', prefix.size());
        const int port = std::stoi(line.substr(prefix.size(), slash - prefix.size()));
        const std::string token = line.substr(line.find("?token=") + 7);
        EXPECT_EQ(line.substr(slash), "/?token=" + token);
        EXPECT_GE(token.size(), 32u);  // 128 bits at least
        client_ = std::make_unique<ApiClient>(port, token);
        return client_.get();
    }

    // The document of `kelvane --json <args>` (on a fresh bench).
    nlohmann::json Cli(const std::vector<std::string>& args) { return RunJson(args); }

    ServerProcess server_;
    std::unique_ptr<ApiClient> client_;
};

// Every call against the same subcommand run with --json. Documents that
// change nothing are compared first; each write is compared on a register
// that no call before it touched.
TEST_F(ServeApiTest, EveryCallAnswersWithTheDocumentOfJson) {
    const ApiClient* api = Serve();
    ASSERT_NE(api, nullptr);
    const auto expectSame = [&](const ApiReply& reply, const nlohmann::json& cli) {
        EXPECT_EQ(reply.status, 200) << reply.body;
        EXPECT_EQ(reply.json, cli) << reply.body;
    };
    expectSame(api->Get("/api/chips"), Cli({"list"}));
    expectSame(api->Call("KV000001", "detect", nlohmann::json::object()), Cli({"detect"}));
    expectSame(api->Call("KV000001", "detect", {{"speed", 400000}, {"probe", "read"}, {"first", 0x0b}, {"last", 0x50}}),
               Cli({"--speed", "400000", "detect", "-r", "0x0b", "0x50"}));
    expectSame(api->Call("KV000001", "get", {{"address", 0x0b}, {"register", 0x10}, {"mode", "w"}}),
               Cli({"get", "0x0b", "0x10", "w"}));
    expectSame(api->Call("KV000001", "get", {{"address", 0x50}, {"register", 0}, {"mode", "i"}, {"length", 5}}),
               Cli({"get", "0x50", "0", "i", "5"}));
    expectSame(api->Call("KV000001", "dump", {{"address", 0x50}, {"first", 0x20}, {"last", 0x2f}}),
               Cli({"dump", "-r", "0x20-0x2f", "0x50"}));
    expectSame(api->Call("KV000001", "dump", {{"address", 0x0b}, {"mode", "w"}, {"first", 0}, {"last", 15}}),
               Cli({"dump", "-r", "0-15", "0x0b", "w"}));
    expectSame(api->Call("KV000001", "transfer", {{"messages", {"w1@0x50", "0x08", "r4"}}}),
               Cli({"transfer", "w1@0x50", "0x08", "r4"}));
    expectSame(api->Call("KV000001", "gpio", nlohmann::json::object()), Cli({"gpio"}));
    expectSame(api->Call("KV000001", "config/show", nlohmann::json::object()), Cli({"config", "show"}));
    // The file of config export, handed out as TOML.
    const ApiReply exported = api->Call("KV000001", "config/export", nlohmann::json::object());
    EXPECT_EQ(exported.status, 200);
    EXPECT_EQ(exported.Header("Content-Type").rfind("application/toml", 0), 0u);
    EXPECT_NE(exported.Header("Content-Disposition").find("chip.toml"), std::string::npos);
    Cli({"config", "export", "cli.toml"});
    std::string cliToml = ReadFile("cli.toml");
#ifdef _WIN32
    cliToml.erase(std::remove(cliToml.begin(), cliToml.end(), '\r'), cliToml.end());
#endif
    EXPECT_EQ(exported.body, cliToml);

    // Writes, each the same as the program's on the bench as it starts.
    expectSame(api->Call("KV000001", "set", {{"address", 0x50}, {"register", 0x30}, {"values", {0xa5}}, {"read_back", true}}),
               Cli({"set", "-r", "0x50", "0x30", "0xa5"}));
    expectSame(api->Call("KV000001", "set", {{"address", 0x50}, {"register", 0x40}, {"values", {0xa5}}, {"mask", 0x0f},
                                             {"read_back", true}}),
               Cli({"set", "-m", "0x0f", "-r", "0x50", "0x40", "0xa5"}));
    expectSame(api->Call("KV000001", "set", {{"address", 0x0b}, {"register", 0x41}, {"values", {1, 2, 3}}, {"mode", "sp"}}),
               Cli({"set", "0x0b", "0x41", "1", "2", "3", "sp"}));
    expectSame(api->Call("KV000001", "gpio", {{"pin", 0}, {"direction", "out"}, {"level", 1}}),
               Cli({"gpio", "0", "out", "1"}));
    expectSame(api->Call("KV000001", "dac", {{"reference", 1}, {"value", 12}}), Cli({"dac", "-R", "1", "12"}));
    const ApiReply adc = api->Call("KV000001", "adc", {{"reference", 2}, {"supply", 3.3}});
    const nlohmann::json cliAdc = Cli({"adc", "-R", "2", "--supply", "3.3"});
    ASSERT_EQ(adc.status, 200);
    EXPECT_EQ(adc.json["reference"], cliAdc["reference"]);  // channel 1 moves with the clock
    EXPECT_EQ(adc.json["channels"][1], cliAdc["channels"][1]);
    WriteFile("product.toml", "[usb]\nproduct = \"Bench controller\"\ncurrent_ma = 250\n");
    nlohmann::json cliApply = Cli({"config", "apply", "product.toml"});
    const ApiReply apply = api->Call(
        "KV000001", "config/apply", {{"config", {{"usb", {{"product", "Bench controller"}, {"current_ma", 250}}}}}});
    ASSERT_EQ(apply.status, 200) << apply.body;
    cliApply["file"] = "request.toml";  // the request's configuration, in memory
    EXPECT_EQ(apply.json, cliApply);
    EXPECT_EQ(api->Call("KV000001", "config/show", nlohmann::json::object()).json["config"]["usb"]["product"],
              "Bench controller");
    // The same file as TOML text: nothing left to change.
    const ApiReply again = api->Call("KV000001", "config/apply", {{"toml", "[usb]\nproduct = \"Bench controller\"\n"}});
    EXPECT_EQ(again.json["chips"][0]["status"], "unchanged");
    // A batch with serial numbers from a pattern.
    const ApiReply batch = api->Post("/api/config/apply",
                                     {{"config", {{"usb", {{"manufacturer", "Lab"}}}}}, {"serial_pattern", "LAB-{n:04}"},
                                      {"start", 17}});
    ASSERT_EQ(batch.status, 200) << batch.body;
    EXPECT_EQ(batch.json["next"], 18);
    EXPECT_EQ(batch.json["chips"][0]["serial"], "LAB-0017");
    EXPECT_EQ(api->Call("LAB-0017", "config/show", nlohmann::json::object()).status, 200);
    // reset: the chip comes back with its flash settings.
    const ApiReply reset = api->Call("LAB-0017", "reset", nlohmann::json::object());
    EXPECT_EQ(reset.status, 200);
    EXPECT_EQ(reset.json["reset"], true);
}

TEST_F(ServeApiTest, ALocalServerRefusesWhatItMust) {
    const ApiClient* api = Serve();
    ASSERT_NE(api, nullptr);
    const std::string host = "127.0.0.1:" + std::to_string(api->Port());
    const nlohmann::json none = nlohmann::json::object();

    // The token: none, a wrong one; the right one as bearer, in the query
    // (which sets the cookie), then in the cookie alone.
    EXPECT_EQ(api->Get("/api/chips", {{"Authorization", ""}}).status, 401);
    EXPECT_EQ(api->Get("/api/chips", {{"Authorization", "Bearer " + std::string(64, '0')}}).status, 401);
    const ApiReply byQuery = api->Get("/api/chips?token=" + api->Token(), {{"Authorization", ""}});
    EXPECT_EQ(byQuery.status, 200);
    const std::string cookie = byQuery.Header("Set-Cookie");
    EXPECT_NE(cookie.find("HttpOnly"), std::string::npos) << cookie;
    EXPECT_NE(cookie.find("SameSite=Strict"), std::string::npos) << cookie;
    const std::string pair = cookie.substr(0, cookie.find(';'));
    EXPECT_EQ(api->Get("/api/chips", {{"Authorization", ""}, {"Cookie", "other=1; " + pair}}).status, 200);
    EXPECT_EQ(api->Get("/api/chips", {{"Authorization", ""}, {"Cookie", pair + "x"}}).status, 401);
    EXPECT_EQ(api->Post("/api/chips/KV000001/detect", none, {{"Authorization", ""}}).status, 401);
    // The page itself needs no token: it says how to open it.
    const ApiReply page = api->Get("/", {{"Authorization", ""}});
    EXPECT_EQ(page.status, 200);
    EXPECT_NE(page.body.find("kelvane serve"), std::string::npos);

    // Host: another name, another port, two of them, none (DNS rebinding).
    for (const std::string& other : {std::string("evil.example:") + std::to_string(api->Port()),
                                     std::string("127.0.0.1:1"), std::string("127.0.0.1.evil.example")}) {
        EXPECT_EQ(api->Get("/api/chips", {{"Host", other}}).status, 403) << other;
        EXPECT_EQ(api->Get("/", {{"Host", other}}).status, 403) << other;
    }
    EXPECT_EQ(api->Get("/api/chips", {{"Host", "localhost:" + std::to_string(api->Port())}}).status, 200);
    // Origin on a call that changes something: another site, none, "null".
    for (const std::string& origin : {std::string("http://evil.example"), std::string(""), std::string("null"),
                                      "https://" + host, "http://" + host + ".evil.example"}) {
        const ApiReply refused = api->Post("/api/chips/KV000001/reset", none, {{"Origin", origin}});
        EXPECT_EQ(refused.status, 403) << origin;
        EXPECT_NE(refused.Error(), "");
    }
    // The method, the media type, the size, the path.
    EXPECT_EQ(api->Get("/api/chips/KV000001/detect").status, 405);
    EXPECT_EQ(api->Request("PUT", "/api/chips", "{}").status, 405);
    EXPECT_EQ(api->Request("DELETE", "/api/chips/KV000001/reset").status, 405);
    EXPECT_EQ(api->Post("/api/chips", none).status, 405);
    EXPECT_EQ(api->Post("/api/chips/KV000001/detect", none, {{"Content-Type", "text/plain"}}).status, 415);
    EXPECT_EQ(api->Request("POST", "/api/chips/KV000001/detect", std::string(1024 * 1024 + 1, ' ')).status, 413);
    for (const std::string path : {"/api/nothing", "/api/chips/KV000001/erase", "/etc/passwd", "/../CMakeCache.txt",
                                    "/%2e%2e/%2e%2e/bench.txt", "/api/chips/KV000001/config/erase", "/index.html/"}) {
        EXPECT_EQ(api->Request(path.rfind("/api/chips/", 0) == 0 ? "POST" : "GET", path, "{}").status, 404) << path;
    }
    EXPECT_EQ(api->Call("KV999999", "detect", none).status, 404);
    EXPECT_EQ(api->Call("@7", "detect", none).status, 404);
    EXPECT_EQ(api->Call("@0", "detect", none).status, 200);

    // Every answer forbids framing and foreign scripts; the API's are not kept.
    for (const ApiReply& reply : {api->Get("/"), api->Get("/app.js"), api->Get("/api/chips"), api->Get("/nothing"),
                                  api->Get("/api/chips", {{"Authorization", ""}})}) {
        const std::string policy = reply.Header("Content-Security-Policy");
        EXPECT_NE(policy.find("frame-ancestors 'none'"), std::string::npos) << policy;
        EXPECT_NE(policy.find("script-src 'self'"), std::string::npos) << policy;
        EXPECT_EQ(reply.Header("X-Frame-Options"), "DENY");
    }
    EXPECT_EQ(api->Get("/api/chips").Header("Cache-Control"), "no-store");
    // A page compressed for a browser that takes gzip.
    const ApiReply packed = api->Get("/uPlot.iife.min.js", {{"Accept-Encoding", "gzip"}});
    EXPECT_EQ(packed.Header("Content-Encoding"), "gzip");
}

// Bodies that do not fit, and bodies that try to become options or to
// reach files: 400 with an error document, or taken as data; nothing runs
// that was not asked, and the server answers afterwards.
TEST_F(ServeApiTest, MalformedAndHostileBodiesAreRefusedAndTheServerLives) {
    const ApiClient* api = Serve();
    ASSERT_NE(api, nullptr);
    const auto raw = [&](const std::string& action, const std::string& body) {
        return api->Request("POST", "/api/chips/KV000001/" + action, body);
    };
    for (const std::string& body :
         {std::string(""), std::string("{"), std::string("[]"), std::string("3"), std::string("{\"speed\": }"),
          std::string(200, '[') + std::string(200, ']'), std::string("{\"a\":") + std::string(100, '{'),
          std::string("\xff\xfe{}"), std::string("{\"speed\": 1e400}")}) {
        const ApiReply reply = raw("detect", body);
        EXPECT_EQ(reply.status, 400) << body.substr(0, 40);
        EXPECT_NE(reply.Error(), "") << body.substr(0, 40);
    }
    const std::vector<std::pair<std::string, nlohmann::json>> refused{
        {"detect", {{"speed", "fast"}}},
        {"detect", {{"speed", 400001}}},
        {"detect", {{"speed", 100000.5}}},
        {"detect", {{"speed", -1}}},
        {"detect", {{"speed", 18446744073709551615ull}}},
        {"detect", {{"first", 8}}},
        {"detect", {{"probe", "--help"}}},
        {"detect", {{"bogus", 1}}},
        {"get", nlohmann::json::object()},
        {"get", {{"address", 0x50}, {"mode", "b"}}},
        {"get", {{"address", 0x80}}},
        {"get", {{"address", 0x50}, {"register", 0}, {"mode", "ip"}}},
        {"set", {{"address", 0x50}, {"register", 0}, {"values", std::vector<int>(33, 1)}}},
        {"set", {{"address", 0x50}, {"register", 0}, {"values", {"0x10"}}}},
        {"set", {{"address", 0x50}, {"register", 0}, {"values", {300}}}},  // the program's own check
        {"transfer", {{"messages", nlohmann::json::array()}}},
        {"transfer", {{"messages", {"--allow-stop", "w1@0x50", "0", "w1@0x50", "1"}}}},
        {"transfer", {{"messages", {"w1@0x50", "0", "w1@0x50", "1"}}}},
        {"transfer", {{"messages", {"--help"}}}},
        {"transfer", {{"messages", {std::string("w1@0x50\0x", 9)}}}},
        {"gpio", {{"direction", "out"}}},
        {"gpio", {{"pin", 4}}},
        {"dac", {{"value", 32}}},
        {"adc", {{"supply", 0}}},
        {"config/apply", nlohmann::json::object()},
        {"config/apply", {{"config", {{"usb", {{"product", nullptr}}}}}, {"toml", ""}}},
        {"config/apply", {{"config", {{"usb", {{"bogus", 1}}}}}}},
        {"config/apply", {{"config", {{"usb", {{"current_ma", 2.5}}}}}}},
        {"config/apply", {{"config", {{"usb", {{"current_ma", 1000}}}}}}},
        {"config/apply", {{"config", {{"a", {{"b", {{"c", {{"d", 1}}}}}}}}}}},
        {"config/apply", {{"toml", "[usb\nproduct = "}}},
        {"config/apply", {{"config", {{"protection", {{"state", "locked"}}}}}, {"yes_lock", true}}},
        {"config/apply", {{"config", {{"protection", {{"state", "locked"}}}}}}},
        {"config/apply", {{"config", {{"usb", {{"product", "x"}}}}}, {"password", "--yes-lock"}}},
    };
    for (const auto& [action, body] : refused) {
        const ApiReply reply = api->Call("KV000001", action, body);
        EXPECT_EQ(reply.status, 400) << action << " " << body.dump() << ": " << reply.body;
        EXPECT_NE(reply.Error(), "") << action << " " << body.dump();
    }
    // The lock with a confirmation that is not the chip's serial number.
    EXPECT_EQ(api->Call("KV000001", "config/apply",
                        {{"config", {{"protection", {{"state", "locked"}}}}}, {"yes_lock", true}, {"confirm", "KV0000"}})
                  .status,
              400);
    EXPECT_EQ(api->Post("/api/config/apply", {{"config", nlohmann::json::object()}, {"yes_lock", true}}).status, 400);
    // A chip name that is a path, an option or a control character.
    for (const std::string name : {"..%2F..%2Fetc", "--help", "%00", "@-1", "@99999999999", "%40"}) {
        const ApiReply reply = api->Request("POST", "/api/chips/" + name + "/detect", "{}");
        EXPECT_TRUE(reply.status == 404 || reply.status == 400) << name << ": " << reply.status;
    }
    // Nothing of that changed the chip: not locked, the same product.
    const ApiReply config = api->Call("KV000001", "config/show", nlohmann::json::object());
    ASSERT_EQ(config.status, 200);
    EXPECT_EQ(config.json["config"]["protection"]["state"], "unprotected");
    EXPECT_EQ(config.json["config"]["usb"]["product"], "Kelvane USB-I2C bridge");
    EXPECT_TRUE(server_.Running());
}

TEST_F(ServeApiTest, FiftyClientsAtOnceAreAllAnswered) {
    const ApiClient* api = Serve();
    ASSERT_NE(api, nullptr);
    std::atomic<int> answered{0};
    std::atomic<int> wrong{0};
    std::vector<int> statuses(50, -1);
    std::vector<std::thread> clients;
    for (int i = 0; i < 50; ++i) {
        clients.emplace_back([&, i] {
            const ApiReply reply = i % 2 == 0 ? api->Get("/api/chips")
                                              : api->Call("KV000001", "get", {{"address", 0x50}, {"register", i}});
            statuses[static_cast<std::size_t>(i)] = reply.status;
            if (reply.status == 0) {
                ADD_FAILURE() << "client " << i << ": " << reply.body;
            }
            if (reply.status == 200) {
                ++answered;
            }
            if (i % 2 == 1 && (!reply.json.is_object() || reply.json.value("value", -1) != i)) {
                ++wrong;
            }
        });
    }
    for (std::thread& client : clients) {
        client.join();
    }
    EXPECT_EQ(answered.load(), 50) << ::testing::PrintToString(statuses);
    EXPECT_EQ(wrong.load(), 0);
    EXPECT_EQ(api->Get("/api/chips").status, 200);
}

// The live values: at least 10 ADC samples a second, pin levels as they
// change, and the chips as they come and go (plug file) — and a chip
// named by its serial number is found again after it was replugged.
TEST_F(ServeApiTest, EventsStreamAndAChipThatGoesAndComesBack) {
    WriteBench(std::string(kServeBench) + "  gp pin=1 direction=in level=0 toggle=200\n");
    const ApiClient* api = Serve();
    ASSERT_NE(api, nullptr);
    const auto events = api->Events("KV000001", 3.0);
    int adc = 0;
    std::set<int> levels;
    std::set<int> readings;
    for (const auto& [name, data] : events) {
        if (name == "adc") {
            ++adc;
            readings.insert(data["channels"][0]["raw"].get<int>());
            EXPECT_GT(data["time"].get<double>(), 1.6e9);
        } else if (name == "pins") {
            levels.insert(data["pins"][1]["level"].get<int>());
        }
    }
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events[0].first, "chips");
    EXPECT_GE(adc, 20) << events.size() << " events";  // 10 a second, with room for a slow machine
    EXPECT_GT(readings.size(), 5u);                      // the ramp moves
    EXPECT_EQ(levels, (std::set<int>{0, 1}));            // GP1 flips every 200 ms

    WriteFile("plugs.txt", "1 -\n");  // unplugged
    EXPECT_EQ(api->Get("/api/chips").json["chips"].size(), 0u);
    EXPECT_EQ(api->Call("KV000001", "detect", nlohmann::json::object()).status, 404);
    WriteFile("plugs.txt", "1 7\n");  // back, in another port
    const ApiReply back = api->Call("KV000001", "get", {{"address", 0x50}, {"register", 3}});
    EXPECT_EQ(back.status, 200) << back.body;
    EXPECT_EQ(back.json["chip"]["path"], "virtual-usb-7/input0");
}

TEST_F(ServeApiTest, ChipsWithTheSameSerialNumberAreNamedByIndex) {
    WriteBench("state=\nchip serial=TWIN\n  eeprom addr7=50 pattern=index\nchip serial=TWIN\n  eeprom addr7=51\n");
    const ApiClient* api = Serve();
    ASSERT_NE(api, nullptr);
    const ApiReply twin = api->Call("TWIN", "detect", nlohmann::json::object());
    EXPECT_EQ(twin.status, 409);
    EXPECT_NE(twin.Error().find("@INDEX"), std::string::npos);
    const ApiReply second = api->Call("@1", "detect", nlohmann::json::object());
    ASSERT_EQ(second.status, 200);
    EXPECT_EQ(second.json["found"][0]["address"], 0x51);
}

// The batch apply runs `config apply --all`: a file exported from one chip
// is refused for every chip (with the text the page shows) and changes
// nothing; a pattern gives each chip its own number, "same_serial" the
// file's number to all; a chip that fails after its number was written
// keeps it.
TEST_F(ServeApiTest, ABatchApplyGivesEveryChipItsOwnSerialNumber) {
    WriteBench(
        "state=\nchip serial=KV000001\n"
        "chip serial=KV000002\n  fault kind=no-answer command=b0 skip=28 times=forever\n"
        "chip serial=KV000003\n");
    const ApiClient* api = Serve();
    ASSERT_NE(api, nullptr);
    const ApiReply exported = api->Call("KV000001", "config/export", nlohmann::json::object());
    ASSERT_EQ(exported.status, 200);
    const ApiReply refused = api->Post("/api/config/apply", {{"toml", exported.body}});
    EXPECT_EQ(refused.status, 400);
    EXPECT_NE(refused.Error().find("sets usb.serial = \"KV000001\", which would give every chip the same serial "
                                   "number; give --serial-pattern"),
              std::string::npos)
        << refused.body;
    const auto serials = [&] {
        std::vector<std::string> names;
        const ApiReply list = api->Get("/api/chips");
        for (const nlohmann::json& chip : list.json["chips"]) {
            names.push_back(chip.value("serial", ""));
        }
        return names;
    };
    EXPECT_EQ(serials(), (std::vector<std::string>{"KV000001", "KV000002", "KV000003"}));

    // Chip 1 stops answering in the read-back after its writes (a reading
    // of the whole configuration takes about 20 flash reads).
    const ApiReply numbered =
        api->Post("/api/config/apply", {{"toml", exported.body}, {"serial_pattern", "L-{n}"}, {"start", 1}});
    EXPECT_EQ(numbered.status, 502) << numbered.body;
    ASSERT_EQ(numbered.json["chips"].size(), 3u) << numbered.body;
    EXPECT_EQ(numbered.json["chips"][1]["status"], "failed") << numbered.body;
    EXPECT_NE(numbered.json["chips"][1]["error"].get<std::string>().find("Kelvane read failed (-5)"),
              std::string::npos);
    EXPECT_EQ(numbered.json["chips"][1]["serial"], "L-2");
    EXPECT_EQ(numbered.json["chips"][2]["serial"], "L-3");
    EXPECT_EQ(numbered.json["next"], 4);

    const ApiReply same =
        api->Post("/api/config/apply", {{"toml", "[usb]\nserial = \"ONE\"\n"}, {"same_serial", true}});
    EXPECT_EQ(same.json["chips"][0]["changed"], (nlohmann::json{"usb.serial"})) << same.body;
    EXPECT_EQ(same.json["chips"][2]["changed"], (nlohmann::json{"usb.serial"}));
    EXPECT_EQ(api->Post("/api/config/apply", {{"toml", "[usb]\nserial = \"ONE\"\n"}, {"same_serial", true},
                                              {"serial_pattern", "L-{n}"}})
                  .status,
              400);
}

TEST_F(ServeApiTest, OptionsAndTheStop) {
    ExpectFailure(Run({"serve", "--port", "65536"}), kUsage, "--port");
    ExpectFailure(Run({"serve", "--token", "short"}), kUsage, "--token");
    ExpectFailure(Run({"--json", "serve", "--port", "0"}), kUsage, "--json");
    const std::string token(40, 'k');
    const ApiClient* api = Serve({"--token", token});
    ASSERT_NE(api, nullptr);
    EXPECT_EQ(api->Token(), token);
    // The port in use: a second server fails.
    ExpectFailure(Run({"serve", "--no-browser", "--port", std::to_string(api->Port())}), kFailed, "cannot listen");
#ifndef _WIN32
    EXPECT_EQ(server_.Interrupt(), kSuccess);  // Ctrl-C
    EXPECT_NE(server_.Stderr().find("kelvane: stopped"), std::string::npos) << server_.Stderr();
#endif
}

}  // namespace
}  // namespace kelvane::testing
