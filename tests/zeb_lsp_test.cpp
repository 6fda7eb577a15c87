// zeb lsp through the real binary: a scripted client drives one editing
// session from initialize to exit, then each kind of broken input is sent to
// a server of its own, which must answer or skip it and go on serving.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <deque>
#include <fstream>
#include <functional>
#include <nlohmann/json.hpp>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "analysis/analysis.h"
#include "analysis/source_formatter.h"
#include "bench/mission_generator.h"
#include "fuzz/lsp_expected_diagnostics.h"
#include "lsp/position_encoding.h"
#include "lsp/raw_bytes.h"
#include "map/mission_map.h"
#include "tests/run_support.h"

namespace zeb::testing {
namespace {

using nlohmann::json;
using Clock = std::chrono::steady_clock;

constexpr int kWaitMs = 10000;

std::string framed(const std::string& body) {
    return "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

// One `zeb lsp` process with pipes on its standard input and output; its
// standard error goes to a scratch file.
class LspProcess {
public:
    LspProcess() : errors_("") {
        int in[2];
        int out[2];
        if (::pipe(in) != 0 || ::pipe(out) != 0) throw std::runtime_error("pipe");
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(in[0], STDIN_FILENO);
            ::dup2(out[1], STDOUT_FILENO);
            const int err = ::open(errors_.path().c_str(), O_WRONLY | O_TRUNC);
            ::dup2(err, STDERR_FILENO);
            ::close(in[0]);
            ::close(in[1]);
            ::close(out[0]);
            ::close(out[1]);
            ::execl(ZEB_COMMAND, ZEB_COMMAND, "lsp", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(in[0]);
        ::close(out[1]);
        input_ = in[1];
        output_ = out[0];
        ::signal(SIGPIPE, SIG_IGN);
    }
    ~LspProcess() {
        closeInput();
        if (output_ >= 0) ::close(output_);
        if (pid_ > 0 && !exited_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    LspProcess(const LspProcess&) = delete;
    LspProcess& operator=(const LspProcess&) = delete;

    void sendRaw(const std::string& bytes) {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t wrote = ::write(input_, bytes.data() + done, bytes.size() - done);
            if (wrote <= 0) return;
            done += static_cast<std::size_t>(wrote);
        }
    }
    void send(const json& message) { sendRaw(framed(message.dump())); }
    void notify(const std::string& method, json params) {
        send({{"jsonrpc", "2.0"}, {"method", method}, {"params", std::move(params)}});
    }
    // Sends a request and waits for its response; notifications that come
    // first are kept for notification().
    json request(const std::string& method, json params) {
        const int id = ++lastId_;
        send({{"jsonrpc", "2.0"}, {"id", id}, {"method", method}, {"params", std::move(params)}});
        return responseTo(id);
    }
    json responseTo(const json& id) {
        for (;;) {
            std::optional<json> message = read();
            if (!message) return json();
            if (message->contains("id") && !message->contains("method") && (*message)["id"] == id) return *message;
            pending_.push_back(std::move(*message));
        }
    }
    // The next notification of the method; null when none comes in time.
    json notification(const std::string& method) {
        for (auto at = pending_.begin(); at != pending_.end(); ++at) {
            if ((*at)["method"] == method) {
                json found = std::move(*at);
                pending_.erase(at);
                return found;
            }
        }
        for (;;) {
            std::optional<json> message = read();
            if (!message) return json();
            if ((*message)["method"] == method) return *message;
            pending_.push_back(std::move(*message));
        }
    }
    // The next message, or none when the server closes its output or says
    // nothing in time (with no time, whatever has already come).
    std::optional<json> read(int timeoutMs = kWaitMs) {
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            const std::size_t headerEnd = buffer_.find("\r\n\r\n");
            if (headerEnd != std::string::npos) {
                const std::size_t length = std::stoul(buffer_.substr(buffer_.find(':') + 1));
                if (buffer_.size() >= headerEnd + 4 + length) {
                    std::string body = buffer_.substr(headerEnd + 4, length);
                    buffer_.erase(0, headerEnd + 4 + length);
                    if (!lsp::isValidUtf8(body)) {
                        body = lsp::wrapRawBytes(body);
                        rawBytes_ = true;
                    }
                    return json::parse(body);
                }
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left < 0) return std::nullopt;
            pollfd waiting{output_, POLLIN, 0};
            if (::poll(&waiting, 1, static_cast<int>(left)) <= 0) return std::nullopt;
            char chunk[65536];
            const ssize_t got = ::read(output_, chunk, sizeof chunk);
            if (got <= 0) return std::nullopt;
            buffer_.append(chunk, static_cast<std::size_t>(got));
        }
    }
    void closeInput() {
        if (input_ >= 0) ::close(input_);
        input_ = -1;
    }
    // The exit status, or -1 when the process has not ended in time.
    int waitForExit(int timeoutMs = kWaitMs) {
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                exited_ = true;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            if (Clock::now() > deadline) return -1;
            ::usleep(10000);
        }
    }
    std::string errors() const { return readFile(errors_.path()); }
    // Whether a message came with bytes that are not UTF-8.
    bool sawRawBytes() const { return rawBytes_; }
    pid_t pid() const { return pid_; }

    json initialize(json capabilities = json::object()) {
        json reply = request("initialize", {{"processId", nullptr}, {"capabilities", std::move(capabilities)}});
        notify("initialized", json::object());
        return reply;
    }

private:
    TempFile errors_;
    pid_t pid_ = -1;
    int input_ = -1;
    int output_ = -1;
    bool exited_ = false;
    bool rawBytes_ = false;
    int lastId_ = 0;
    std::string buffer_;
    std::deque<json> pending_;
};

const std::string kUri = "file:///work/m.mission";

json document() {
    return {{"uri", kUri}};
}

json showMap(json argument = kUri) {
    return {{"command", "zeb.showMap"}, {"arguments", {std::move(argument)}}};
}

json at(const std::string& text, std::size_t offset) {
    std::size_t line = 0;
    std::size_t start = 0;
    for (std::size_t i = 0; i < offset && i < text.size(); ++i) {
        if (text[i] == '\n') {
            ++line;
            start = i + 1;
        }
    }
    return {{"line", line}, {"character", offset - start}};
}

// The position of the n-th occurrence (from 0) of a piece of the text, plus
// a few characters into it.
json positionOf(const std::string& text, const std::string& piece, int nth = 0, std::size_t into = 0) {
    std::size_t found = text.find(piece);
    for (int i = 0; i < nth; ++i) found = text.find(piece, found + 1);
    EXPECT_NE(found, std::string::npos) << piece;
    return at(text, found + into);
}

json rangeOf(const std::string& text, const std::string& piece, int nth = 0) {
    const json start = positionOf(text, piece, nth);
    return {{"start", start},
            {"end", {{"line", start["line"]}, {"character", start["character"].get<int>() + piece.size()}}}};
}

json positionParams(const std::string& text, const std::string& piece, int nth = 0, std::size_t into = 0) {
    return {{"textDocument", document()}, {"position", positionOf(text, piece, nth, into)}};
}

const std::string kBroken =
    "mission \"m\" { author \"a\"; description \"d\"; rules { respawn = team }; map \"m\" { location door = <1, 2, "
    "3>; location yard = <4, 5, 6>;\n"
    "area hall { style = closed; locations = door, yard; }; area court { style = open; locations = yard; } };\n"
    "force \"f\" { team \"alpha\" { npc \"scout\" \"s1\" { weapon \"rifle\"; skill = 2 } }; };\n"
    "objectives { success (\"alpha\", \"won\") = (occupied (yard) && reached (\"hall\")) -> { \"done\" };\n"
    "failure (\"f\", \"lost\") = eliminated (\"scout\") -> { \"over\" } };\n"
    "plan \"alpha\" { phase \"one\"; attack towards yrd; patrol (hall, court) }; }\n";

std::string fixedText() {
    std::string text = kBroken;
    text.replace(text.find("yrd"), 3, "yard");
    return text;
}

std::vector<std::string> labels(const json& items) {
    std::vector<std::string> out;
    for (const json& item : items) out.push_back(item["label"]);
    std::sort(out.begin(), out.end());
    return out;
}

std::vector<std::string> symbolNames(const json& symbols) {
    std::vector<std::string> out;
    for (const json& symbol : symbols) out.push_back(symbol["name"]);
    return out;
}

const json* child(const json& symbols, const std::string& name) {
    for (const json& symbol : symbols) {
        if (symbol["name"] == name) return &symbol;
    }
    return nullptr;
}

TEST(ZebLsp, OneEditingSession) {
    LspProcess server;
    const json init = server.initialize();
    ASSERT_TRUE(init.contains("result")) << init;
    const json& capabilities = init["result"]["capabilities"];
    EXPECT_EQ(capabilities["positionEncoding"], "utf-16");
    EXPECT_EQ(capabilities["textDocumentSync"], 1);
    for (const char* provider : {"documentFormattingProvider", "documentSymbolProvider", "definitionProvider",
                                 "referencesProvider", "hoverProvider", "completionProvider", "renameProvider"}) {
        EXPECT_TRUE(capabilities.contains(provider)) << provider;
    }
    EXPECT_EQ(capabilities["executeCommandProvider"]["commands"], json::array({"zeb.showMap"}));

    // The error, with its range, code and the note on the declaration.
    server.notify("textDocument/didOpen",
                  {{"textDocument", {{"uri", kUri}, {"languageId", "mission"}, {"version", 1}, {"text", kBroken}}}});
    const json opened = server.notification("textDocument/publishDiagnostics");
    ASSERT_EQ(opened["params"]["diagnostics"].size(), 1u) << opened;
    const json& error = opened["params"]["diagnostics"][0];
    EXPECT_EQ(error["code"], "undeclared-location");
    EXPECT_EQ(error["severity"], 1);
    EXPECT_EQ(error["range"], rangeOf(kBroken, "yrd"));
    EXPECT_EQ(error["relatedInformation"][0]["location"]["range"], rangeOf(kBroken, "yard"));
    EXPECT_EQ(opened["params"]["version"], 1);

    // No map while the mission has an error; the error says where.
    const json unmapped = server.request("workspace/executeCommand", showMap());
    ASSERT_TRUE(unmapped.contains("error")) << unmapped;
    EXPECT_NE(unmapped["error"]["message"].get<std::string>().find("line 6: 'yrd'"), std::string::npos) << unmapped;

    // Fixed: the diagnostics are cleared for the new version.
    const std::string text = fixedText();
    server.notify("textDocument/didChange",
                  {{"textDocument", {{"uri", kUri}, {"version", 2}}}, {"contentChanges", {{{"text", text}}}}});
    const json changed = server.notification("textDocument/publishDiagnostics");
    EXPECT_EQ(changed["params"]["diagnostics"], json::array()) << changed;
    EXPECT_EQ(changed["params"]["version"], 2);

    // The map: zeb map's picture of the latest text, with the URI alone or
    // as a document identifier.
    const json mapped = server.request("workspace/executeCommand", showMap());
    ASSERT_TRUE(mapped["result"].is_string()) << mapped;
    EXPECT_EQ(mapped["result"],
              map::drawMissionMap(*analyzeMission(std::make_shared<const std::string>(text)).mission));
    EXPECT_EQ(server.request("workspace/executeCommand", showMap(document()))["result"], mapped["result"]);

    // Formatting: the zeb fmt layout as one edit of the whole text.
    const json format =
        server.request("textDocument/formatting", {{"textDocument", document()}, {"options", {{"tabSize", 4}}}});
    ASSERT_EQ(format["result"].size(), 1u) << format;
    EXPECT_EQ(format["result"][0]["newText"], formatSource(std::make_shared<const std::string>(text)).text);
    EXPECT_EQ(format["result"][0]["range"]["start"], at(text, 0));
    EXPECT_EQ(format["result"][0]["range"]["end"], at(text, text.size()));

    // The outline.
    const json outline = server.request("textDocument/documentSymbol", {{"textDocument", document()}})["result"];
    EXPECT_EQ(symbolNames(outline), (std::vector<std::string>{"mission \"m\"", "rules", "map \"m\"", "\"f\"",
                                                              "objectives", "plan \"alpha\""}))
        << outline;
    const json* map = child(outline, "map \"m\"");
    ASSERT_NE(map, nullptr);
    EXPECT_EQ(symbolNames((*map)["children"]), (std::vector<std::string>{"door", "yard", "hall", "court"}));
    EXPECT_EQ((*map)["children"][1]["selectionRange"], rangeOf(text, "yard"));
    const json* force = child(outline, "\"f\"");
    ASSERT_NE(force, nullptr);
    EXPECT_EQ((*force)["children"][0]["name"], "\"alpha\"");
    EXPECT_EQ((*force)["children"][0]["children"][0]["name"], "\"scout\"");
    EXPECT_EQ(symbolNames((*child(outline, "plan \"alpha\""))["children"]),
              (std::vector<std::string>{"phase \"one\""}));
    EXPECT_EQ(symbolNames((*child(outline, "objectives"))["children"]),
              (std::vector<std::string>{"success \"alpha\"", "failure \"f\""}));

    // Definition and references of a location, from its use in a plan.
    const json definition = server.request("textDocument/definition", positionParams(text, "yard", 4, 2))["result"];
    EXPECT_EQ(definition["uri"], kUri);
    EXPECT_EQ(definition["range"], rangeOf(text, "yard"));
    json referencesParams = positionParams(text, "yard", 0, 4);
    referencesParams["context"] = {{"includeDeclaration", true}};
    const json references = server.request("textDocument/references", referencesParams)["result"];
    ASSERT_EQ(references.size(), 5u) << references;  // the declaration, two area lists, occupied() and attack
    for (int i = 0; i < 5; ++i) EXPECT_EQ(references[i]["range"], rangeOf(text, "yard", i)) << i;
    referencesParams["context"]["includeDeclaration"] = false;
    EXPECT_EQ(server.request("textDocument/references", referencesParams)["result"].size(), 4u);
    const json teamReferences = server.request("textDocument/references", positionParams(text, "alpha", 2));
    EXPECT_EQ(teamReferences["result"].size(), 3u) << teamReferences;  // the team, the objective, the plan

    // Hover: a location's coordinates, a team's force and members, a member's equipment and skill.
    const json onYard = server.request("textDocument/hover", positionParams(text, "yard", 3));
    EXPECT_NE(onYard["result"]["contents"]["value"].get<std::string>().find("<4, 5, 6>"), std::string::npos) << onYard;
    EXPECT_EQ(onYard["result"]["range"], rangeOf(text, "yard", 3));
    const std::string onTeam =
        server.request("textDocument/hover", positionParams(text, "alpha", 2))["result"]["contents"]["value"];
    EXPECT_NE(onTeam.find("of force \"f\""), std::string::npos) << onTeam;
    EXPECT_NE(onTeam.find("\"scout\""), std::string::npos) << onTeam;
    const std::string onMember =
        server.request("textDocument/hover", positionParams(text, "scout"))["result"]["contents"]["value"];
    EXPECT_NE(onMember.find("weapon \"rifle\""), std::string::npos) << onMember;
    EXPECT_NE(onMember.find("skill: 2"), std::string::npos) << onMember;
    const std::string onArea =
        server.request("textDocument/hover", positionParams(text, "hall", 1))["result"]["contents"]["value"];
    EXPECT_NE(onArea.find("closed"), std::string::npos) << onArea;
    EXPECT_NE(onArea.find("door, yard"), std::string::npos) << onArea;
    EXPECT_EQ(server.request("textDocument/references", positionParams(text, "hall", 1))["result"].size(), 3u);
    EXPECT_TRUE(server.request("textDocument/hover", positionParams(text, "towards"))["result"].is_null());

    // Completion: the names each place accepts, and keywords.
    struct CompletionCase {
        std::string piece;
        int nth;
        std::size_t into;
        std::vector<std::string> expected;
    };
    const std::vector<CompletionCase> completions = {
        {"yard; patrol", 0, 0, {"door", "yard"}},                       // an instruction's location
        {"hall, court) }", 0, 0, {"court", "hall"}},                    // a patrol list's areas
        {"court) }", 0, 0, {"court", "hall"}},                          // after a comma in the list
        {"alpha\" {", 1, 0, {"alpha"}},                                 // a plan's team, inside the quotes
        {"alpha\", \"won", 0, 0, {"alpha", "f"}},                       // an objective's subject: teams and forces
        {"yard) &&", 0, 0, {"door", "yard"}},                           // occupied()
        {"door, yard; }", 0, 0, {"door", "yard"}},                      // an area's list of locations
        {"hall\")", 0, 0, {"court", "door", "hall", "scout", "yard"}},  // reached(): locations, members, areas
        {"scout\")", 0, 0, {"alpha", "f", "scout"}},                    // eliminated(): teams, members, forces
    };
    for (const CompletionCase& c : completions) {
        const json reply = server.request("textDocument/completion", positionParams(text, c.piece, c.nth, c.into));
        EXPECT_EQ(labels(reply["result"]["items"]), c.expected) << c.piece << ": " << reply;
    }
    const json keywords = server.request("textDocument/completion", positionParams(text, "attack"));
    const std::vector<std::string> words = labels(keywords["result"]["items"]);
    for (const char* word : {"attack", "patrol", "phase", "wait", "advance"}) {
        EXPECT_NE(std::find(words.begin(), words.end(), word), words.end()) << word;
    }
    EXPECT_EQ(std::find(words.begin(), words.end(), "door"), words.end());
    const json none = server.request("textDocument/completion", positionParams(text, "won", 0, 1));
    EXPECT_EQ(none["result"]["items"], json::array()) << none;  // a description is new text

    // Rename: every use, and refusals.
    const json prepared = server.request("textDocument/prepareRename", positionParams(text, "yard", 2));
    EXPECT_EQ(prepared["result"]["range"], rangeOf(text, "yard", 2));
    EXPECT_EQ(prepared["result"]["placeholder"], "yard");
    json renameParams = positionParams(text, "yard", 2);
    renameParams["newName"] = "garden";
    const json renamed = server.request("textDocument/rename", renameParams);
    const json& edits = renamed["result"]["changes"][kUri];
    ASSERT_EQ(edits.size(), 5u) << renamed;
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(edits[i]["range"], rangeOf(text, "yard", i));
        EXPECT_EQ(edits[i]["newText"], "garden");
    }
    for (const auto& [refused, why] : std::vector<std::pair<std::string, std::string>>{{"door", "already"},
                                                                                       {"9lives", "not a valid label"},
                                                                                       {"plan", "not a valid label"},
                                                                                       {"a b", "not a valid"}}) {
        renameParams["newName"] = refused;
        const json reply = server.request("textDocument/rename", renameParams);
        ASSERT_TRUE(reply.contains("error")) << refused << ": " << reply;
        EXPECT_NE(reply["error"]["message"].get<std::string>().find(why), std::string::npos) << reply;
    }
    json teamRename = positionParams(text, "alpha", 2);
    teamRename["newName"] = "bravo two";
    EXPECT_EQ(server.request("textDocument/rename", teamRename)["result"]["changes"][kUri].size(), 3u);
    teamRename["newName"] = "f";  // the force's name: a subject "f" would then mean the team
    EXPECT_TRUE(server.request("textDocument/rename", teamRename).contains("error"));
    teamRename["newName"] = "a\"b";
    EXPECT_TRUE(server.request("textDocument/rename", teamRename).contains("error"));

    server.notify("textDocument/didClose", {{"textDocument", document()}});
    EXPECT_EQ(server.notification("textDocument/publishDiagnostics")["params"]["diagnostics"], json::array());
    EXPECT_TRUE(server.request("shutdown", nullptr)["result"].is_null());
    server.notify("exit", nullptr);
    EXPECT_EQ(server.waitForExit(), 0);
}

TEST(ZebLsp, PositionsAreInUtf8WhenTheClientOffersIt) {
    const std::string text = "/* \xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80 */ mission \"m\" { oops";
    // The scanner refuses the first byte of é alone: the range ends after the character in either encoding.
    const std::string refused = "\xc3\xa9 mission";
    for (const bool utf8 : {false, true}) {
        LspProcess server;
        json general = {{"positionEncodings", utf8 ? json{"utf-16", "utf-8"} : json{"utf-16"}}};
        const json init = server.initialize({{"general", general}});
        EXPECT_EQ(init["result"]["capabilities"]["positionEncoding"], utf8 ? "utf-8" : "utf-16");
        server.notify("textDocument/didOpen", {{"textDocument", {{"uri", kUri}, {"version", 1}, {"text", text}}}});
        const json published = server.notification("textDocument/publishDiagnostics");
        // é is one unit in UTF-16 and two bytes, € one and three, the face two and four.
        const std::size_t before = text.find("oops");
        const std::size_t units = utf8 ? before : before - (1 + 2 + 2);
        EXPECT_EQ(published["params"]["diagnostics"][0]["range"]["start"]["character"], units) << published;
        server.notify("textDocument/didChange",
                      {{"textDocument", {{"uri", kUri}, {"version", 2}}}, {"contentChanges", {{{"text", refused}}}}});
        const json inside = server.notification("textDocument/publishDiagnostics");
        EXPECT_EQ(inside["params"]["diagnostics"][0]["range"]["end"]["character"], utf8 ? 2 : 1) << inside;
    }
}

// A document of more than a few kilobytes is read apart from the rest of its
// message: its escapes, its characters beyond ASCII and its line ends must
// come out as the client sent them.
TEST(ZebLsp, ALongDocumentArrivesWhole) {
    std::string text = "/* \"quoted\" \\ back\tslash caf\xc3\xa9 \xf0\x9f\x98\x80 \x01 */\r\n" +
                       bench::generateMission(bench::shapeForBytes(300000, 1), 1);
    const std::size_t end = text.rfind('}');
    text.replace(end, 1, "oops }");
    LspProcess server;
    server.initialize();
    server.notify("textDocument/didOpen", {{"textDocument", {{"uri", kUri}, {"version", 1}, {"text", text}}}});
    const json published = server.notification("textDocument/publishDiagnostics");
    ASSERT_EQ(published["params"]["diagnostics"].size(), 1u) << published.dump().substr(0, 2000);
    const std::size_t oops = text.find("oops }");
    EXPECT_EQ(published["params"]["diagnostics"][0]["range"]["start"], at(text, oops));
    text.replace(oops, 5, "");
    server.notify("textDocument/didChange",
                  {{"textDocument", {{"uri", kUri}, {"version", 2}}}, {"contentChanges", {{{"text", text}}}}});
    EXPECT_EQ(server.notification("textDocument/publishDiagnostics")["params"]["diagnostics"], json::array());
    const json format = server.request("textDocument/formatting", {{"textDocument", document()}});
    ASSERT_EQ(format["result"].size(), 1u);
    std::string normalised = text;
    normalised.replace(normalised.find("\r\n"), 2, "\n");
    EXPECT_EQ(format["result"][0]["newText"], formatSource(std::make_shared<const std::string>(normalised)).text);
}

// Each broken input goes to a fresh server, which must answer it as the
// protocol says (or skip it with a line on standard error) and then still
// answer a request.
struct BadInput {
    const char* name;
    bool initializeFirst;
    std::function<void(LspProcess&)> send;
    std::function<void(LspProcess&)> expect;
    bool servesAfter = true;
};

void expectError(LspProcess& server, const json& id, int code) {
    const json reply = server.responseTo(id);
    ASSERT_TRUE(reply.contains("error")) << reply;
    EXPECT_EQ(reply["error"]["code"], code) << reply;
}

// A request on no document, answered once the input before it is read.
void expectServing(LspProcess& server) {
    const json reply = server.request("textDocument/documentSymbol", {{"textDocument", {{"uri", "file:///none"}}}});
    EXPECT_EQ(reply["result"], json::array()) << reply;
}

void expectLogged(LspProcess& server, const std::string& words) {
    expectServing(server);
    EXPECT_NE(server.errors().find(words), std::string::npos) << server.errors();
}

void openClean(LspProcess& server, const std::string& text) {
    server.notify("textDocument/didOpen", {{"textDocument", {{"uri", kUri}, {"version", 1}, {"text", text}}}});
}

const std::vector<BadInput> kBadInputs = {
    {"malformed header", true, [](LspProcess& s) { s.sendRaw("Content-Length: twelve\r\n\r\n{\"jsonrpc\"}"); },
     [](LspProcess& s) { expectLogged(s, "not a number"); }},
    {"header without length", true, [](LspProcess& s) { s.sendRaw("Content-Type: text/plain\r\n\r\n{}"); },
     [](LspProcess& s) { expectLogged(s, "without a Content-Length"); }},
    {"huge Content-Length", true, [](LspProcess& s) { s.sendRaw("Content-Length: 99999999999999\r\n\r\n{}"); },
     [](LspProcess& s) { expectLogged(s, "more than 256 MB"); }},
    {"length longer than the message", true,
     [](LspProcess& s) { s.sendRaw("Content-Length: 5000\r\n\r\n{\"jsonrpc\":\"2.0\"}"); },
     [](LspProcess& s) { expectLogged(s, "shorter than its Content-Length"); }},
    {"invalid JSON", true, [](LspProcess& s) { s.sendRaw(framed("{\"jsonrpc\": \"2.0\", \"id\": 4,")); },
     [](LspProcess& s) { expectError(s, nullptr, -32700); }},
    {"not a request", true, [](LspProcess& s) { s.sendRaw(framed("[1, 2]")); },
     [](LspProcess& s) { expectError(s, nullptr, -32600); }},
    {"unknown method", true,
     [](LspProcess& s) {
         s.send({{"jsonrpc", "2.0"}, {"id", 7}, {"method", "textDocument/frobnicate"}});
     },
     [](LspProcess& s) { expectError(s, 7, -32601); }},
    {"unknown notification", true, [](LspProcess& s) { s.notify("$/frobnicate", json::object()); },
     [](LspProcess& s) { expectServing(s); }},
    {"request before initialize", false,
     [](LspProcess& s) {
         s.send({{"jsonrpc", "2.0"}, {"id", 3}, {"method", "textDocument/hover"}});
     },
     [](LspProcess& s) { expectError(s, 3, -32002); }, false},
    {"bad params", true,
     [](LspProcess& s) {
         s.send({{"jsonrpc", "2.0"}, {"id", 5}, {"method", "textDocument/hover"}, {"params", {{"textDocument", 1}}}});
     },
     [](LspProcess& s) { expectError(s, 5, -32602); }},
    {"request on an unopened document", true, [](LspProcess&) {},
     [](LspProcess& s) {
         const json params = {{"textDocument", {{"uri", "file:///never.mission"}}},
                              {"position", {{"line", 0}, {"character", 0}}}};
         EXPECT_TRUE(s.request("textDocument/hover", params)["result"].is_null());
         EXPECT_EQ(s.request("textDocument/formatting", params)["result"], json::array());
         EXPECT_EQ(s.request("textDocument/documentSymbol", params)["result"], json::array());
         EXPECT_EQ(s.request("textDocument/references", params)["result"], json::array());
         EXPECT_TRUE(s.request("textDocument/rename", params).contains("error"));
         const json map = s.request("workspace/executeCommand", showMap("file:///never.mission"));
         EXPECT_NE(map["error"]["message"].get<std::string>().find("not open"), std::string::npos) << map;
     }},
    {"a command the server does not have", true, [](LspProcess& s) { openClean(s, kClean); },
     [](LspProcess& s) {
         for (const json& params :
              {json{{"command", "zeb.frobnicate"}, {"arguments", {kUri}}}, json{{"command", "zeb.showMap"}},
               json{{"command", "zeb.showMap"}, {"arguments", {7}}}, json::array()}) {
             const json reply = s.request("workspace/executeCommand", params);
             EXPECT_EQ(reply["error"]["code"], -32602) << reply;
         }
     }},
    {"position past the end", true, [](LspProcess& s) { openClean(s, kClean); },
     [](LspProcess& s) {
         for (const auto& [line, character] : std::vector<std::pair<int, int>>{{1000, 0}, {0, 100000}, {1, 99}}) {
             const json params = {{"textDocument", document()},
                                  {"position", {{"line", line}, {"character", character}}}};
             EXPECT_TRUE(s.request("textDocument/hover", params).contains("result"));
             EXPECT_TRUE(s.request("textDocument/completion", params)["result"].contains("items"));
             EXPECT_TRUE(s.request("textDocument/definition", params).contains("result"));
         }
         // Clamped to the end of the first line, the cursor stands right after "a = <1, 2, 3> };".
         const json past = s.request("textDocument/definition",
                                     {{"textDocument", document()}, {"position", {{"line", 0}, {"character", 500}}}});
         EXPECT_TRUE(past["result"].is_null()) << past;
     }},
    {"invalid UTF-8 in a comment", true,
     [](LspProcess& s) {
         s.sendRaw(
             framed("{\"jsonrpc\":\"2.0\",\"method\":\"textDocument/didOpen\",\"params\":{\"textDocument\":"
                    "{\"uri\":\"" +
                    kUri + "\",\"version\":1,\"text\":\"/* \xff\xfe\xc3 */ mission oops\"}}}"));
     },
     [](LspProcess& s) {
         const json published = s.notification("textDocument/publishDiagnostics");
         // "/* ", three bytes of one unit each, " */ mission ", then the label that is refused.
         EXPECT_EQ(published["params"]["diagnostics"][0]["range"]["start"], (json{{"line", 0}, {"character", 18}}))
             << published;
         EXPECT_EQ(s.request("textDocument/formatting", {{"textDocument", document()}})["result"], json::array());
         // A clean mission with such a comment is formatted with the bytes as they were.
         s.sendRaw(
             framed("{\"jsonrpc\":\"2.0\",\"method\":\"textDocument/didChange\",\"params\":{\"textDocument\":"
                    "{\"uri\":\"" +
                    kUri + "\",\"version\":2},\"contentChanges\":[{\"text\":\"// caf\xff\\n" +
                    json(kClean).dump().substr(1) + "}]}}"));
         const json format = s.request("textDocument/formatting", {{"textDocument", document()}});
         ASSERT_EQ(format["result"].size(), 1u) << format;
         std::string newText = format["result"][0]["newText"];
         lsp::unwrapRawBytes(newText);
         EXPECT_TRUE(s.sawRawBytes());
         EXPECT_EQ(newText.substr(0, 7), "// caf\xff") << newText;
     }},
    {"a surrogate escaped without its other half", true,
     [](LspProcess& s) {
         // A UTF-16 client that splits a character in two sends such a half.
         s.sendRaw(
             framed("{\"jsonrpc\":\"2.0\",\"method\":\"textDocument/didOpen\",\"params\":{\"textDocument\":"
                    "{\"uri\":\"" +
                    kUri + "\",\"version\":1,\"text\":\"/* \\ud83d */ mission oops\"}}}"));
     },
     [](LspProcess& s) {
         // Read as U+FFFD, one unit: "/* ", the half, " */ mission ", then the refused label.
         const json published = s.notification("textDocument/publishDiagnostics");
         ASSERT_TRUE(published.is_object()) << "the change was lost";
         EXPECT_EQ(published["params"]["diagnostics"][0]["range"]["start"], (json{{"line", 0}, {"character", 16}}))
             << published;
     }},
    {"a stray byte beside a character the server uses for stray bytes", true, [](LspProcess&) {},
     [](LspProcess& s) {
         // U+10FF80 stays itself, two units, beside the byte of one, whether
         // it comes as it is or escaped.
         int version = 1;
         for (const char* standIn : {"\xf4\x8f\xbe\x80", "\\udbff\\udf80"}) {
             s.sendRaw(framed(
                 "{\"jsonrpc\":\"2.0\",\"method\":\"textDocument/didOpen\",\"params\":{\"textDocument\":{\"uri\":\"" +
                 kUri + "\",\"version\":" + std::to_string(version++) + ",\"text\":\"/* \xff " + standIn +
                 " */ mission oops\"}}}"));
             const json published = s.notification("textDocument/publishDiagnostics");
             ASSERT_TRUE(published.is_object()) << standIn;
             EXPECT_EQ(published["params"]["diagnostics"][0]["range"]["start"], (json{{"line", 0}, {"character", 19}}))
                 << standIn << ": " << published;
         }
     }},
    {"a short string that spells the placeholder of a long one", true,
     [](LspProcess& s) {
         openClean(s, kClean);
         s.notification("textDocument/publishDiagnostics");
     },
     [](LspProcess& s) {
         const std::string text = "/*" + std::string(70000, 'x') + "*/ mission oops";
         int version = 2;
         for (const char* lookalike : {"\\u0001zeb-long-string\\u0001x", "\\u0001zeb-long-string\\u00010"}) {
             s.sendRaw(framed(
                 "{\"jsonrpc\":\"2.0\",\"method\":\"textDocument/didChange\",\"params\":{\"textDocument\":{\"uri\":\"" +
                 kUri + "\",\"version\":" + std::to_string(version++) + "},\"contentChanges\":[{\"text\":\"" +
                 lookalike + "\"},{\"text\":" + json(text).dump() + "}]}}"));
             // The last change is the text, whatever the one before it says.
             const json published = s.notification("textDocument/publishDiagnostics");
             ASSERT_TRUE(published.is_object()) << lookalike;
             EXPECT_EQ(published["params"]["diagnostics"][0]["range"]["start"],
                       (json{{"line", 0}, {"character", 70013}}))
                 << lookalike << ": " << published.dump().substr(0, 500);
         }
     }},
    {"EOF inside a message", true,
     [](LspProcess& s) {
         s.sendRaw("Content-Length: 100\r\n\r\n{\"jsonrpc\":");
         s.closeInput();
     },
     [](LspProcess& s) {
         EXPECT_EQ(s.waitForExit(), 1);
         EXPECT_NE(s.errors().find("ended inside a message"), std::string::npos) << s.errors();
     },
     false},
    {"exit without shutdown", true, [](LspProcess& s) { s.notify("exit", nullptr); },
     [](LspProcess& s) { EXPECT_EQ(s.waitForExit(), 1); }, false},
    {"requests after shutdown", true, [](LspProcess& s) { s.request("shutdown", nullptr); },
     [](LspProcess& s) {
         EXPECT_EQ(s.request("textDocument/hover", {{"textDocument", document()}})["error"]["code"], -32600);
         s.notify("exit", nullptr);
         EXPECT_EQ(s.waitForExit(), 0);
     },
     false},
};

TEST(ZebLsp, BrokenInputIsAnsweredOrSkipped) {
    for (const BadInput& bad : kBadInputs) {
        SCOPED_TRACE(bad.name);
        LspProcess server;
        if (bad.initializeFirst) {
            ASSERT_TRUE(server.initialize().contains("result"));
        }
        bad.send(server);
        bad.expect(server);
        if (!bad.servesAfter) continue;
        // Still serving: a clean document is checked, and the session ends well.
        openClean(server, kClean);
        const json published = server.notification("textDocument/publishDiagnostics");
        EXPECT_EQ(published["params"]["diagnostics"], json::array()) << published;
        server.notify("exit", nullptr);
        EXPECT_GE(server.waitForExit(), 0);
    }
}

// A client that sends many changes at once gets one publication, for the
// latest text, and a later change is never lost.
TEST(ZebLsp, ConcurrentBurstOfChangesPublishesTheLatestVersion) {
    LspProcess server;
    server.initialize();
    std::string burst = framed(json{{"jsonrpc", "2.0"},
                                    {"method", "textDocument/didOpen"},
                                    {"params", {{"textDocument", {{"uri", kUri}, {"version", 0}, {"text", kClean}}}}}}
                                   .dump());
    constexpr int kChanges = 200;
    for (int version = 1; version <= kChanges; ++version) {
        const std::string& text = version == kChanges ? kNameErrors : kClean;
        burst += framed(
            json{{"jsonrpc", "2.0"},
                 {"method", "textDocument/didChange"},
                 {"params",
                  {{"textDocument", {{"uri", kUri}, {"version", version}}}, {"contentChanges", {{{"text", text}}}}}}}
                .dump());
    }
    server.sendRaw(burst);
    // Requests read the snapshots the analysis is working on.
    const json symbols = server.request("textDocument/documentSymbol", {{"textDocument", document()}});
    EXPECT_EQ(symbols["result"].size(), 6u) << symbols;
    const json hover =
        server.request("textDocument/hover",
                       {{"textDocument", document()}, {"position", at(kNameErrors, kNameErrors.find("\"t\" {") + 1)}});
    EXPECT_NE(hover["result"]["contents"]["value"].get<std::string>().find("team"), std::string::npos) << hover;
    int publications = 0;
    json last;
    for (;;) {
        last = server.notification("textDocument/publishDiagnostics");
        ASSERT_FALSE(last.is_null());
        ++publications;
        if (last["params"]["version"] == kChanges) break;
    }
    EXPECT_EQ(last["params"]["diagnostics"].size(), 2u);
    // Messages already waiting are read before an analysis starts, and a
    // result is sent only while its text is the latest: a burst gives a
    // publication or two, not one for each change.
    EXPECT_LT(publications, 10);
    EXPECT_EQ(server.errors(), "");
    server.request("shutdown", nullptr);
    server.notify("exit", nullptr);
    EXPECT_EQ(server.waitForExit(), 0);
}

// A long session against the real process, as an editor makes one: ten
// missions open, 100,000 changes (20,000 under the sanitizers) typed in
// bursts on one at a time (a token a character at a time, backspaces, now
// and then the original text back), each burst followed by requests the
// client does not wait for until it has several outstanding. Every request must get exactly one
// answer, the final diagnostics must be zeb check's for the final texts,
// and the server's memory must stay flat once it has seen every mission.
struct SoakDocument {
    std::string uri;
    std::string original;
    std::string text;
    std::int64_t version = 1;
    std::int64_t published = 0;  // the last version published
    json diagnostics{};          // as published for it
};

// GCC names the sanitizers with macros; Clang before 16 only answers
// __has_feature.
#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define ZEB_TEST_SANITIZED 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__) || defined(ZEB_TEST_SANITIZED)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

std::size_t residentKb(pid_t pid, const char* field) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field, 0) == 0) return std::stoul(line.substr(std::string(field).size()));
    }
    return 0;
}

// The start of the character at or after `at`: an editor never splits one.
std::size_t characterStart(const std::string& text, std::size_t at) {
    while (at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) ++at;
    return at;
}

std::string changeBody(const SoakDocument& document) {
    return "{\"jsonrpc\":\"2.0\",\"method\":\"textDocument/didChange\",\"params\":{\"textDocument\":{\"uri\":\"" +
           document.uri + "\",\"version\":" + std::to_string(document.version) +
           "},\"contentChanges\":[{\"text\":" + json(document.text).dump() + "}]}}";
}

TEST(ZebLspSoak, HundredThousandEditsOnTenMissions) {
    // The sanitizers make the server eight times slower: a fifth of the
    // edits keeps their stage of the checks within its time.
    constexpr std::size_t kEdits = kSanitized ? 20000 : 100000;
    constexpr std::size_t kWarmUp = kEdits / 10;
    constexpr std::size_t kOutstanding = 8;
    const auto started = Clock::now();
    std::vector<SoakDocument> documents;
    for (const char* name : {"warehouse", "patrol_small", "convoy_full"}) {
        documents.push_back({"file:///soak/" + std::string(name) + ".mission",
                             readFile(std::string(ZEB_SOURCE_DIR) + "/examples/" + name + ".mission"), ""});
    }
    const std::pair<bench::ShapeKind, std::size_t> generated[] = {
        {bench::ShapeKind::Member, 2000}, {bench::ShapeKind::Plan, 4000}, {bench::ShapeKind::Map, 3000},
        {bench::ShapeKind::Text, 5000},   {bench::ShapeKind::Mix, 6000},  {bench::ShapeKind::Plan, 1500},
        {bench::ShapeKind::Mix, 2500},
    };
    std::uint64_t seed = 1;
    for (const auto& [kind, bytes] : generated) {
        documents.push_back({"file:///soak/generated" + std::to_string(seed) + ".mission",
                             bench::generateMission(bench::shapeForBytes(bytes, seed, kind), seed), ""});
        ++seed;
    }
    const std::vector<std::string> tokens = {
        "yard", " attack towards gate;",   "\"",          "/*",        "*/", "}",     "{",         ";",
        "\n",   "location q = <1, 2, 3>;", "caf\xc3\xa9", "// note\n", "-1", "40000", "wait 2.5;", "\"hall\""};
    const char* const requests[] = {"textDocument/hover",          "textDocument/completion",
                                    "textDocument/definition",     "textDocument/references",
                                    "textDocument/documentSymbol", "textDocument/prepareRename"};

    LspProcess server;
    ASSERT_TRUE(server.initialize().contains("result"));
    for (SoakDocument& document : documents) {
        document.text = document.original;
        server.notify(
            "textDocument/didOpen",
            {{"textDocument", {{"uri", document.uri}, {"version", document.version}, {"text", document.text}}}});
    }

    std::mt19937_64 random(20240611);
    const auto below = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
    std::set<int> awaited;
    int nextId = 100;
    std::size_t requestsSent = 0;
    const auto take = [&](const json& message) {
        if (message.contains("method")) {
            ASSERT_EQ(message["method"], "textDocument/publishDiagnostics") << message.dump().substr(0, 300);
            for (SoakDocument& document : documents) {
                if (document.uri != message["params"]["uri"]) continue;
                const std::int64_t version = message["params"]["version"];
                ASSERT_GE(version, document.published) << document.uri;
                ASSERT_LE(version, document.version) << document.uri;
                document.published = version;
                document.diagnostics = message["params"]["diagnostics"];
            }
            return;
        }
        ASSERT_TRUE(message.contains("result")) << message.dump().substr(0, 300);
        ASSERT_EQ(awaited.erase(message["id"].get<int>()), 1u) << "an answer to no awaited request: " << message["id"];
    };

    std::size_t edits = 0;
    std::size_t warmRss = 0;
    while (edits < kEdits) {
        SoakDocument& document = documents[below(documents.size())];
        std::string& text = document.text;
        std::string burst;
        const auto changed = [&] {
            ++document.version;
            ++edits;
            burst += framed(changeBody(document));
        };
        std::size_t cursor = characterStart(text, below(text.size() + 1));
        switch (below(8)) {
        case 0:
            // Back to the text as it was opened, as after an undo of everything.
            text = document.original;
            changed();
            break;
        case 1:
        case 2:
            for (std::size_t n = 1 + below(6); n > 0 && cursor > 0 && edits < kEdits; --n) {
                std::size_t from = cursor - 1;
                while (from > 0 && (static_cast<unsigned char>(text[from]) & 0xC0) == 0x80) --from;
                text.erase(from, cursor - from);
                cursor = from;
                changed();
            }
            break;
        default: {
            const std::string& token = tokens[below(tokens.size())];
            for (std::size_t i = 0; i < token.size() && edits < kEdits;) {
                std::size_t length = 1;
                while (i + length < token.size() && (static_cast<unsigned char>(token[i + length]) & 0xC0) == 0x80) {
                    ++length;
                }
                text.insert(cursor, token, i, length);
                cursor += length;
                i += length;
                changed();
            }
            break;
        }
        }
        for (std::size_t n = below(3); n > 0; --n) {
            const int id = nextId++;
            const fuzz::ClientPositions positions(text, fuzz::Units::Utf16);
            json params = {{"textDocument", {{"uri", document.uri}}},
                           {"position", positions.position(characterStart(text, below(text.size() + 1)))}};
            const char* method = below(40) == 0 ? "textDocument/formatting" : requests[below(std::size(requests))];
            burst += framed(json{{"jsonrpc", "2.0"}, {"id", id}, {"method", method}, {"params", params}}.dump());
            awaited.insert(id);
            ++requestsSent;
        }
        server.sendRaw(burst);
        // Read what has come; wait only with too many requests outstanding.
        while (std::optional<json> message = server.read(awaited.size() > kOutstanding ? kWaitMs : 0)) {
            take(*message);
            if (::testing::Test::HasFatalFailure()) return;
            if (awaited.size() <= kOutstanding / 2) break;
        }
        if (warmRss == 0 && edits >= kWarmUp) warmRss = residentKb(server.pid(), "VmRSS:");
    }

    // Everything answered, and each document published at its latest version.
    const auto settled = [&] {
        if (!awaited.empty()) return false;
        for (const SoakDocument& document : documents) {
            if (document.published != document.version) return false;
        }
        return true;
    };
    while (!settled()) {
        std::optional<json> message = server.read();
        ASSERT_TRUE(message) << awaited.size() << " requests unanswered, or a publication missing";
        take(*message);
        if (::testing::Test::HasFatalFailure()) return;
    }
    const std::size_t endRss = residentKb(server.pid(), "VmRSS:");
    const std::size_t peakRss = residentKb(server.pid(), "VmHWM:");
    for (const SoakDocument& document : documents) {
        EXPECT_EQ(document.diagnostics, fuzz::expectedDiagnostics(document.text, document.uri, fuzz::Units::Utf16))
            << document.uri;
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - started).count();
    std::printf(
        "LspSoak: %zu edits, %zu requests, %.1f s; server RSS %zu kB after %zu edits, %zu kB at the end, peak %zu kB\n",
        edits, requestsSent, seconds, warmRss, kWarmUp, endRss, peakRss);
    // Flat: beyond what the warm-up took, at most 2 MB and a twentieth, so
    // that a leak of 25 bytes an edit or more fails. AddressSanitizer holds
    // freed memory back in quarantine, so its figures say nothing.
    if (!kSanitized) {
        EXPECT_LE(endRss, warmRss + warmRss / 20 + 2048);
    }
    EXPECT_TRUE(server.request("shutdown", nullptr)["result"].is_null());
    server.notify("exit", nullptr);
    EXPECT_EQ(server.waitForExit(), 0);
}

}  // namespace
}  // namespace zeb::testing
