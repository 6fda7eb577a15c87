#include "fuzz/lsp_scripted_session.h"

#include <array>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "frontend/source_reader.h"
#include "fuzz/lsp_client_text.h"
#include "fuzz/lsp_expected_diagnostics.h"
#include "fuzz/lsp_session.h"
#include "lsp/raw_bytes.h"

namespace zeb::fuzz {
namespace {

using nlohmann::json;

// Long enough for an analysis of the largest text a script makes, under
// the sanitizers, on a loaded machine; a wait that runs out is a failure.
constexpr int kAnswerMs = 10000;
// A script's text grows past the size the server reads apart (64 KiB) by
// one long insertion, and no further.
constexpr std::size_t kLargestText = 96 * 1024;
// Documents stop changing once a script has sent this much: every change
// sends the whole text, and a run must stay short.
constexpr std::size_t kSendBudget = 256 * 1024;
constexpr std::size_t kDocuments = 3;

// Texts an operation can open: a mission with every kind of name, one with
// name errors and warnings, and one with characters of every length, a
// stray byte, CRLF line ends and a syntax error.
const char* const kMissions[] = {
    "mission \"m\" { author \"a\"; description \"d\"; rules { respawn = team }; map \"m\" { location door = <1, 2, "
    "3>; location yard = <4, 5, 6>;\n"
    "area hall { style = closed; locations = door, yard; }; area court { style = open; locations = yard; } };\n"
    "force \"f\" { team \"alpha\" { npc \"scout\" \"s1\" { weapon \"rifle\"; skill = 2 } }; };\n"
    "objectives { success (\"alpha\", \"won\") = (occupied (yard) && reached (\"hall\")) -> { \"done\" };\n"
    "failure (\"f\", \"lost\") = eliminated (\"scout\") -> { \"over\" } };\n"
    "plan \"alpha\" { phase \"one\"; attack towards yard; patrol (hall, court) }; }\n",
    "mission \"m\" { author \"a\"; description \"d\"; rules { }; map \"m\" { location a = <1, 2, 40000>;\n"
    "location a = <1, 1, 1> };\n"
    "force \"f\" { team \"t\" { npc \"n\" \"n1\" { skill = 9 } }; team \"t\" { }; }; objectives { };\n"
    "plan \"t\" { attack towards b; observe c; patrol (a) }; plan \"u\" { wait 2.5 }; }\n",
    "// caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80 \xff\r\n"
    "mission \"\xc3\xa9t\xc3\xa9\" { author \"\xf0\x9f\x98\x80\"; description \"d\"; rules { };\r\n"
    "map \"m\" { location a = <1, 2, 3> }; force \"f\" { team \"t\" { }; }; objectives { }; plan \"t\" { attack "
    "towards a \xe2\x82\xac }; }\r\n",
};

// Pieces an edit inserts: characters of every length, halves of one,
// stray bytes, a character the server uses as a stand-in for a stray byte,
// line ends, the marks that open comments and quoted text, and names.
const std::string_view kPieces[] = {
    "\xc3\xa9",
    "\xe2\x82\xac",
    "\xf0\x9f\x98\x80",
    "\xed\xa0\xbd",
    "\xed\xb8\x80",
    "\xff",
    "\xc3",
    "\xf4\x8f\xbe\x80",
    "\xf4\x8f\xbf\xbf",
    "\r\n",
    "\r",
    "\n",
    "\"",
    "/*",
    "*/",
    "//",
    "\\",
    "\t",
    std::string_view("\0", 1),
    "}",
    "{",
    ";",
    " ",
    "yard",
    "door",
    "hall",
    "alpha",
    "scout",
    "location b = <0, 0, 0>;",
    "attack towards door;",
    "\"f\"",
    "plan",
    "mission",
    "-1",
    "1.5",
};

const char* const kRequests[] = {
    "textDocument/hover",          "textDocument/definition", "textDocument/references",    "textDocument/completion",
    "textDocument/documentSymbol", "textDocument/formatting", "textDocument/prepareRename", "textDocument/rename",
};

const char* const kNewNames[] = {"garden", "\"bravo two\"",     "door", "9lives", "plan", "a b", "a\"b", "",
                                 "f",      "\xc3\xa9t\xc3\xa9", "x.y_1"};

// Methods for messages the server must answer or ignore; never one that
// changes a document or ends the session.
const char* const kOtherMethods[] = {
    "initialize",
    "initialized",
    "$/cancelRequest",
    "$/setTrace",
    "textDocument/didSave",
    "workspace/didChangeConfiguration",
    "textDocument/semanticTokens/full",
    "textDocument/codeAction",
    "textDocument/hover",
    "textDocument/rename",
    "textDocument/completion",
    "textDocument/formatting",
};

const char* const kKeys[] = {"textDocument",
                             "uri",
                             "position",
                             "line",
                             "character",
                             "context",
                             "includeDeclaration",
                             "newName",
                             "options",
                             "tabSize",
                             "text",
                             "version",
                             "range",
                             "start",
                             "end",
                             "contentChanges",
                             "capabilities",
                             "id"};

bool changesState(std::string_view method) {
    return method == "exit" || method == "shutdown" || method == "textDocument/didOpen" ||
           method == "textDocument/didChange" || method == "textDocument/didClose";
}

// The script's bytes; past their end every read is zero.
class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool empty() const { return at_ >= size_; }
    std::uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }
    std::uint32_t number(std::uint32_t below) {
        const std::uint32_t value = static_cast<std::uint32_t>(byte()) << 8 | byte();
        return below == 0 ? 0 : value % below;
    }
    std::string_view bytes(std::size_t count) {
        count = std::min(count, size_ - std::min(at_, size_));
        const std::string_view taken(reinterpret_cast<const char*>(data_) + at_, count);
        at_ += count;
        return taken;
    }
    std::string_view untilZero() {
        std::size_t end = at_;
        while (end < size_ && data_[end] != 0) ++end;
        const std::string_view taken = bytes(end - at_);
        byte();
        return taken;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

// Deterministic choices that need no bytes of the script: framing
// variants and escapes.
class Choices {
public:
    explicit Choices(std::uint32_t seed) : state_(seed * 2654435761u + 1) {}
    std::uint64_t next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 7;
        state_ ^= state_ << 17;
        return state_;
    }

private:
    std::uint64_t state_;
};

std::string framed(std::string_view body, unsigned variant) {
    const std::string length = std::to_string(body.size());
    std::string out;
    switch (variant % 8) {
    case 1: out = "content-length: " + length + "\r\n\r\n"; break;
    case 2:
        out = "Content-Length: " + length + "\r\nContent-Type: application/vscode-jsonrpc; charset=utf-8\r\n\r\n";
        break;
    case 3:
        out = "Content-Type: application/vscode-jsonrpc; charset=utf-8\r\nContent-Length: " + length + "\r\n\r\n";
        break;
    case 4: out = "\r\nContent-Length: " + length + "\r\n\r\n"; break;
    case 5: out = "Content-Length:" + length + "\n\n"; break;
    case 6: out = "Content-Length:  " + length + " \t\r\n\r\n"; break;
    default: out = "Content-Length: " + length + "\r\n\r\n"; break;
    }
    out += body;
    return out;
}

bool holdsLengthField(std::string_view text) {
    constexpr std::string_view kField = "content-length";
    for (std::size_t at = 0; at + kField.size() <= text.size(); ++at) {
        std::size_t i = 0;
        while (i < kField.size() && (text[at + i] | 0x20) == kField[i]) ++i;
        if (i == kField.size()) return true;
    }
    return false;
}

struct Document {
    std::string uri;
    bool open = false;
    std::string clientText;
    // What the server holds: the text as it read it, line ends normalised.
    std::shared_ptr<const std::string> serverText = std::make_shared<const std::string>();
    std::int64_t version = 0;
};

// A request whose answer is awaited.
struct Awaited {
    bool checked = false;  // a well-formed request of the script, on a known text
    std::string method;
    std::shared_ptr<const std::string> text;  // the text it was made on; null when none is open
    // For the requests of the session's start and end: what the answer must say.
    std::function<bool(const json&)> expected{};
};

// What the client last saw published for a document.
struct Published {
    bool cleared = false;  // without version: the document was closed
    std::int64_t version = -1;
    std::size_t count = 0;
};

class ScriptedSession {
public:
    ScriptedSession(Input& input, std::uint8_t mode) : input_(input), mode_(mode) {
        const std::string_view seed = input.bytes(4);
        std::uint32_t value = 0;
        for (const char c : seed) value = value << 8 | static_cast<unsigned char>(c);
        choices_ = Choices(value);
        units_ = (mode & 2) != 0 ? Units::Utf8 : Units::Utf16;
        for (std::size_t i = 0; i < kDocuments; ++i)
            documents_[i].uri = "file:///fuzz/d" + std::to_string(i) + ".mission";
    }

    void run() {
        initialize();
        open(0, std::string(input_.untilZero()));
        for (int operations = 0; !input_.empty() && operations < 256; ++operations) operation();
        sync();
        end();
    }

private:
    void operation() {
        const std::uint8_t op = input_.byte();
        switch (op % 16) {
        case 0:
        case 1:
        case 2:
        case 3:
        case 4:
        case 5: edit(op / 16 % kDocuments); break;
        case 6: openFromScript(op / 16 % kDocuments); break;
        case 7: close(op / 16 % kDocuments); break;
        case 8:
        case 9:
        case 10:
        case 11: featureRequest(op / 16); break;
        case 12: otherMessage(op / 16); break;
        case 13: badFraming(op / 16); break;
        case 14: sendWaiting(); break;
        default: sync(); break;
        }
    }

    // ---- sending

    void queue(std::string_view body) {
        waiting_ += framed(body, static_cast<unsigned>(choices_.next() & framingMask_));
    }
    void sendWaiting() {
        sentBytes_ += waiting_.size();
        server_.write(waiting_);
        waiting_.clear();
    }
    std::string encoded(std::string_view text, std::string& received) {
        return jsonString(text, (mode_ & 0x10) != 0 ? choices_.next() : 0, received);
    }
    json positionJson(const Document& document, std::uint8_t how) {
        switch (how % 8) {
        case 0:
        case 1:
        case 2: {
            const std::string& text = *document.serverText;
            const ClientPositions positions(text, units_);
            return positions.position(input_.number(static_cast<std::uint32_t>(text.size() + 1)));
        }
        case 3: return {{"line", input_.byte() % 16}, {"character", input_.byte()}};
        case 4: return {{"line", std::uint64_t{1} << 40}, {"character", std::uint64_t{1} << 62}};
        case 5: return {{"line", -1 - input_.byte()}, {"character", -1}};
        case 6: return {{"line", input_.byte() % 16}, {"character", 0.5}};
        default: return {{"line", input_.byte() % 16}, {"character", std::uint64_t{1} << 32}};
        }
    }

    // Everything up to the first wait goes in one write: the server answers
    // in turn, so nothing needs to wait for initialize's answer.
    void initialize() {
        if ((mode_ & 0x20) != 0) {
            request("textDocument/hover", json::object(),
                    [](const json& answer) { return answer.contains("error") && answer["error"]["code"] == -32002; });
        }
        json capabilities = json::object();
        if (units_ == Units::Utf8) capabilities = {{"general", {{"positionEncodings", {"utf-16", "utf-8"}}}}};
        const char* encoding = units_ == Units::Utf8 ? "utf-8" : "utf-16";
        request("initialize", {{"processId", nullptr}, {"capabilities", capabilities}}, [encoding](const json& answer) {
            return answer.contains("result") && answer["result"]["capabilities"]["positionEncoding"] == encoding;
        });
        framingMask_ = (mode_ & 0x40) != 0 ? 7u : 0u;
        queue(json{{"jsonrpc", "2.0"}, {"method", "initialized"}, {"params", json::object()}}.dump());
    }

    // A request of the session's start or end, framed plainly.
    void request(const char* method, json params, std::function<bool(const json&)> expected) {
        const int id = nextId_++;
        awaited_[json(id).dump()] = Awaited{false, method, nullptr, std::move(expected)};
        json message = {{"jsonrpc", "2.0"}, {"id", id}, {"method", method}};
        if (!params.empty()) message["params"] = std::move(params);
        waiting_ += framed(message.dump(), 0);
    }

    void took(Document& document, const std::string& received) {
        document.version = nextVersion_++;
        std::string normalised = received;
        normaliseLineEnds(normalised);
        document.serverText = std::make_shared<const std::string>(std::move(normalised));
        sent_[{document.uri, document.version}] = received;
        touched_.insert(document.uri);
    }

    bool overBudget() const { return sentBytes_ + waiting_.size() > kSendBudget; }

    void open(std::size_t index, std::string text) {
        Document& document = documents_[index];
        document.clientText = std::move(text);
        document.open = true;
        std::string received;
        const std::string literal = encoded(document.clientText, received);
        took(document, received);
        queue("{\"jsonrpc\":\"2.0\",\"method\":\"textDocument/didOpen\",\"params\":{\"textDocument\":{\"uri\":" +
              json(document.uri).dump() + ",\"languageId\":\"mission\",\"version\":" +
              std::to_string(document.version) + ",\"text\":" + literal + "}}}");
    }

    void openFromScript(std::size_t index) {
        const std::uint8_t from = input_.byte();
        if (overBudget()) return;
        switch (from % 4) {
        case 0: open(index, kMissions[from / 4 % std::size(kMissions)]); break;
        case 1: open(index, std::string(input_.bytes(input_.number(4096)))); break;
        case 2: open(index, documents_[from / 4 % kDocuments].clientText); break;
        default: open(index, ""); break;
        }
    }

    void close(std::size_t index) {
        Document& document = documents_[index];
        document.open = false;
        document.serverText = std::make_shared<const std::string>();
        closed_.insert(document.uri);
        touched_.insert(document.uri);
        queue("{\"jsonrpc\":\"2.0\",\"method\":\"textDocument/didClose\",\"params\":{\"textDocument\":{\"uri\":" +
              json(document.uri).dump() + "}}}");
    }

    // One to three changes of the client's text, sent whole: the server
    // syncs whole texts. Changes with a range may come before the last,
    // which replaces them all whichever way the server reads them.
    void edit(std::size_t index) {
        Document& document = documents_[index];
        if (!document.open || overBudget()) return;
        const std::uint8_t shape = input_.byte();
        for (int i = 0; i <= shape % 3; ++i) changeText(document.clientText);
        std::string changes = "[";
        for (int i = 0; i < shape / 4 % 3; ++i) {
            const std::uint8_t a = input_.byte();
            const std::uint8_t b = input_.byte();
            const json range = {{"start", {{"line", a % 8}, {"character", b}}},
                                {"end", {{"line", a / 8}, {"character", b * 1000}}}};
            const std::string text =
                a % 2 == 0 ? std::string(kPieces[b % std::size(kPieces)]) : std::string(input_.bytes(a / 2 % 32));
            std::string ignored;
            changes += "{\"range\":" + range.dump() + ",\"rangeLength\":" + std::to_string(b) +
                       ",\"text\":" + encoded(text, ignored) + "},";
        }
        std::string received;
        changes += "{\"text\":" + encoded(document.clientText, received) + "}]";
        took(document, received);
        queue("{\"jsonrpc\":\"2.0\",\"method\":\"textDocument/didChange\",\"params\":{\"textDocument\":{\"uri\":" +
              json(document.uri).dump() + ",\"version\":" + std::to_string(document.version) +
              "},\"contentChanges\":" + changes + "}}");
    }

    void changeText(std::string& text) {
        const std::uint8_t how = input_.byte();
        std::size_t at = 0;
        switch (how % 4) {
        case 0: at = input_.number(static_cast<std::uint32_t>(text.size() + 1)); break;
        case 1:
        case 2: {
            const std::uint8_t line = input_.byte();
            const std::uint8_t character = input_.byte();
            at = clientOffset(text, line % 32, how % 4 == 1 ? character % 64 : character, units_);
            break;
        }
        default: at = text.size(); break;
        }
        const std::size_t removed = std::min<std::size_t>(how / 4 % 8, text.size() - at);
        text.erase(at, removed);
        const std::uint8_t what = input_.byte();
        std::string inserted;
        switch (what % 8) {
        case 0:
        case 1:
        case 2: {
            inserted = kPieces[what / 8 % std::size(kPieces)];
            break;
        }
        case 3:
        case 4:
        case 5: inserted = std::string(input_.bytes(what / 8 % 24)); break;
        case 6: {
            if (what / 8 % 16 != 0) break;
            // Past the length the server reads apart from the rest.
            const std::size_t length = (std::size_t{64} << 10) + (what / 8) * 512u;
            if (text.size() + length <= kLargestText) inserted = "/*" + std::string(length, 'x') + "*/";
            break;
        }
        default: break;
        }
        text.insert(at, inserted);
    }

    void featureRequest(std::uint8_t op) {
        const char* method = kRequests[op % std::size(kRequests)];
        const std::uint8_t target = input_.byte();
        const bool known = target % 8 != 7;
        const Document* document = known ? &documents_[target % kDocuments] : nullptr;
        const std::string uri = known ? document->uri : "file:///fuzz/never.mission";
        json params = {{"textDocument", {{"uri", uri}}}};
        const std::uint8_t how = input_.byte();
        bool wellFormed = true;
        if (how % 8 != 7) {
            static const Document kNone;
            params["position"] = positionJson(known ? *document : kNone, how);
            wellFormed = how % 8 != 6;
        }
        const std::string_view name = method;
        if (name == "textDocument/references" && (how & 8) != 0) {
            params["context"] = {{"includeDeclaration", (how & 16) != 0}};
        }
        if (name == "textDocument/rename") params["newName"] = kNewNames[how / 8 % std::size(kNewNames)];
        if (name == "textDocument/formatting") params["options"] = {{"tabSize", 4}, {"insertSpaces", true}};
        const int id = nextId_++;
        awaited_[json(id).dump()] =
            Awaited{wellFormed, method, known && document->open ? document->serverText : nullptr};
        queue(json{{"jsonrpc", "2.0"}, {"id", id}, {"method", method}, {"params", params}}.dump(
            -1, ' ', false, json::error_handler_t::replace));
    }

    json randomValue(int depth) {
        const std::uint8_t kind = input_.byte();
        switch (depth <= 0 ? kind % 6 : kind % 8) {
        case 0: return nullptr;
        case 1: return (kind & 8) != 0;
        case 2: return static_cast<std::int64_t>(input_.number(70000)) - 1000;
        case 3: return kind * 0.25;
        case 4: return std::string(input_.bytes(kind / 8 % 12));
        case 5:
            return kind % 2 == 0 ? documents_[kind / 8 % kDocuments].uri
                                 : std::string(kKeys[kind / 8 % std::size(kKeys)]);
        case 6: {
            json array = json::array();
            for (int i = 0; i < kind / 8 % 4; ++i) array.push_back(randomValue(depth - 1));
            return array;
        }
        default: {
            json object = json::object();
            for (int i = 0; i < kind / 8 % 5; ++i) {
                object[kKeys[input_.byte() % std::size(kKeys)]] = randomValue(depth - 1);
            }
            return object;
        }
        }
    }

    // A message outside the script's own: a request or notification of any
    // method with any params, an answer the server never asked for, or
    // bytes that may not be JSON at all. None may change a document.
    void otherMessage(std::uint8_t op) {
        if (op % 4 == 3) {
            std::string body(input_.bytes(input_.byte()));
            const json parsed = json::parse(lsp::isValidUtf8(body) ? body : lsp::wrapRawBytes(body), nullptr, false);
            if (!parsed.is_object()) {
                ++anonymousAnswers_;  // not JSON, or not an object
            } else if (parsed.contains("method")) {
                return;  // it could change a document
            } else if (!parsed.contains("result") && !parsed.contains("error")) {
                const json id = parsed.value("id", json());
                if (id.is_number_integer() || id.is_string()) return;  // it could be one of the script's ids
                if (id.is_null()) ++anonymousAnswers_;
            }
            queue(body);
            return;
        }
        json message = {{"jsonrpc", "2.0"}};
        const std::uint8_t shape = input_.byte();
        bool stringMethod = false;
        if (shape % 4 != 0) {
            std::string method = shape % 4 == 1 ? std::string(input_.bytes(shape / 4 % 20))
                                                : kOtherMethods[shape / 4 % std::size(kOtherMethods)];
            if (changesState(method)) method = "textDocument/didSave";
            message["method"] = method;
            stringMethod = true;
        } else if ((shape & 4) != 0) {
            message["method"] = randomValue(0);
            if (message["method"].is_string()) message["method"] = 0;
        }
        const bool answerLike = (shape & 8) != 0;
        if (answerLike) message[(shape & 16) != 0 ? "result" : "error"] = randomValue(1);
        // Ids of the script's own kinds never repeat one; any other kind of
        // id is answered as sent, and not awaited.
        switch (shape / 32 % 4) {
        case 0: break;
        case 1: message["id"] = -1 - nextOtherId_++; break;
        case 2: message["id"] = "other-" + std::to_string(nextOtherId_++); break;
        default: {
            const json odd[] = {nullptr, true, 1.5, json::array({1}), json::object()};
            message["id"] = odd[shape % std::size(odd)];
            break;
        }
        }
        // A request is answered with its id; a message that is neither
        // request, notification nor answer with its id, or null.
        const bool answered = stringMethod ? message.contains("id") : !answerLike;
        const json id = message.value("id", json());
        if (answered && id.is_null()) ++anonymousAnswers_;
        if (answered && (id.is_number_integer() || id.is_string())) awaited_[id.dump()] = Awaited{false, "", nullptr};
        if ((op & 4) != 0) message["params"] = randomValue(3);
        queue(message.dump(-1, ' ', false, json::error_handler_t::replace));
    }

    // A header the server must skip, up to the next message's header.
    void badFraming(std::uint8_t op) {
        std::string body(input_.bytes(input_.byte() % 32));
        if (holdsLengthField(body)) return;
        switch (op % 4) {
        case 0: waiting_ += "Content-Length: " + std::string(1, static_cast<char>('a' + op % 26)) + "\r\n\r\n"; break;
        case 1: waiting_ += "Content-Type: text/plain\r\n\r\n"; break;
        case 2: waiting_ += "Content-Length: 99999999999999999999\r\n\r\n"; break;
        default: waiting_ += "a line without a colon\r\n\r\n"; break;
        }
        waiting_ += body;
    }

    // ---- receiving

    // Writes what is waiting, then reads until every request is answered
    // and every changed document's last publication is of its latest state.
    void sync() {
        sendWaiting();
        std::map<std::string, std::size_t> countBefore;
        for (const std::string& uri : touched_) countBefore[uri] = published_[uri].count;
        const auto settled = [&] {
            if (!awaited_.empty() || anonymousAnswers_ != 0) return false;
            for (const auto& [uri, before] : countBefore) {
                const Published& seen = published_[uri];
                if (seen.count == before) return false;
                const Document* document = documentOf(uri);
                if (document != nullptr && document->open) {
                    if (seen.cleared || seen.version != document->version) return false;
                } else if (!seen.cleared) {
                    return false;
                }
            }
            return true;
        };
        while (!settled()) {
            std::optional<json> message = server_.next(kAnswerMs);
            if (!message) {
                std::string missing;
                for (const auto& [key, awaited] : awaited_) missing += " request " + key;
                if (anonymousAnswers_ != 0)
                    missing += " " + std::to_string(anonymousAnswers_) + " answers with a null id";
                for (const auto& [uri, before] : countBefore) {
                    const Published& seen = published_[uri];
                    missing += " " + uri + " (published " + std::to_string(seen.count - before) + ", last version " +
                               std::to_string(seen.version) + (seen.cleared ? ", cleared)" : ")");
                }
                brokenPromise("nothing more came, still awaited:" + missing);
            }
            received(*message);
        }
        touched_.clear();
    }

    const Document* documentOf(const std::string& uri) const {
        for (const Document& document : documents_) {
            if (document.uri == uri) return &document;
        }
        return nullptr;
    }

    void received(const json& message) {
        if (message.contains("method")) {
            if (message["method"] != "textDocument/publishDiagnostics" || message.contains("id")) {
                brokenPromise("the server sent " + message.dump());
            }
            const json& params = message.value("params", json());
            if (!params.is_object() || !params.value("uri", json()).is_string() ||
                !params.value("diagnostics", json()).is_array() ||
                (params.contains("version") && !params["version"].is_number_integer())) {
                brokenPromise("a publication of no shape: " + message.dump());
            }
            publication(params);
            return;
        }
        if (!message.contains("id"))
            brokenPromise("a message that is neither answer nor notification: " + message.dump());
        const json& id = message["id"];
        if (id.is_null()) {
            if (anonymousAnswers_ == 0)
                brokenPromise("an answer with a null id to nothing that needs one: " + message.dump());
            --anonymousAnswers_;
            return;
        }
        const auto found = awaited_.find(id.dump());
        if (found == awaited_.end()) {
            if (!id.is_number_integer() && !id.is_string()) return;  // an id the script made up unsorted
            brokenPromise("an answer to no awaited request: " + message.dump());
        }
        const Awaited awaited = std::move(found->second);
        awaited_.erase(found);
        if (message.contains("result") == message.contains("error")) {
            brokenPromise("an answer needs a result or an error: " + message.dump());
        }
        if (awaited.expected && !awaited.expected(message)) {
            brokenPromise(awaited.method + " was answered " + message.dump());
        }
        if (!awaited.checked) return;
        if (message.contains("error")) {
            const json& error = message["error"];
            const json code = error.is_object() ? error.value("code", json()) : json();
            if (!code.is_number_integer() || code == -32603 || code == -32602 || !error.contains("message")) {
                brokenPromise(awaited.method + " failed: " + message.dump());
            }
            return;
        }
        if (awaited.text != nullptr) {
            const ClientPositions positions(*awaited.text, units_);
            checkRanges(message["result"], positions, awaited);
        }
    }

    void checkPosition(const json& position, const ClientPositions& positions, const Awaited& awaited) {
        if (!position.is_object() || !position.value("line", json()).is_number_unsigned() ||
            !position.value("character", json()).is_number_unsigned()) {
            brokenPromise(awaited.method + " gave a position that is none: " + position.dump());
        }
        const std::uint64_t line = position["line"];
        if (line >= positions.lineCount() || position["character"].get<std::uint64_t>() > positions.lineUnits(line)) {
            brokenPromise(awaited.method + " gave a position outside the text: " + position.dump() + " in " +
                          json(*awaited.text).dump(-1, ' ', false, json::error_handler_t::replace));
        }
    }

    static bool before(const json& a, const json& b) {
        return a["line"] < b["line"] || (a["line"] == b["line"] && a["character"] <= b["character"]);
    }

    void checkRanges(const json& value, const ClientPositions& positions, const Awaited& awaited) {
        if (value.is_object()) {
            if (value.contains("start") || value.contains("end")) {
                const json start = value.value("start", json());
                const json end = value.value("end", json());
                checkPosition(start, positions, awaited);
                checkPosition(end, positions, awaited);
                if (!before(start, end)) brokenPromise(awaited.method + " gave a range backwards: " + value.dump());
            }
            const auto outer = value.find("range");
            const auto inner = value.find("selectionRange");
            if (outer != value.end() && inner != value.end()) {
                checkRanges(*outer, positions, awaited);
                checkRanges(*inner, positions, awaited);
                if (!before((*outer)["start"], (*inner)["start"]) || !before((*inner)["end"], (*outer)["end"])) {
                    brokenPromise(awaited.method + " gave a selection range outside its range: " + value.dump());
                }
            }
        }
        if (value.is_structured()) {
            for (const json& element : value) checkRanges(element, positions, awaited);
        }
    }

    void publication(const json& params) {
        const std::string uri = params["uri"];
        Published& seen = published_[uri];
        ++seen.count;
        if (!params.contains("version")) {
            if (closed_.count(uri) == 0 || params["diagnostics"] != json::array()) {
                brokenPromise("a publication without version for a document never closed, or not empty: " +
                              params.dump());
            }
            seen.cleared = true;
            return;
        }
        const std::int64_t version = params["version"];
        const auto text = sent_.find({uri, version});
        if (text == sent_.end())
            brokenPromise("a publication of a version never sent, or out of order: " + params.dump());
        if (version < seen.version) brokenPromise("versions published out of order: " + params.dump());
        const json expected = expectedDiagnostics(text->second, uri, units_);
        if (params["diagnostics"] != expected) {
            brokenPromise("the diagnostics of " + uri + " version " + std::to_string(version) +
                          " differ from zeb check's.\n-- published --\n" + params["diagnostics"].dump(1) +
                          "\n-- zeb check --\n" + expected.dump(1) + "\n-- text --\n" +
                          json(text->second).dump(-1, ' ', false, json::error_handler_t::replace));
        }
        seen.cleared = false;
        seen.version = version;
        // Older versions can no longer be published.
        sent_.erase(sent_.lower_bound({uri, 0}), text);
    }

    // ---- the end

    void end() {
        switch (mode_ / 4 % 4) {
        case 0:
            request("shutdown", json(),
                    [](const json& answer) { return answer.contains("result") && answer["result"].is_null(); });
            if ((mode_ & 0x80) != 0) {
                request("textDocument/hover", json(), [](const json& answer) {
                    return answer.contains("error") && answer["error"]["code"] == -32600;
                });
            }
            waiting_ += framed("{\"jsonrpc\":\"2.0\",\"method\":\"exit\"}", 0);
            expectEnd(0);
            break;
        case 1:
            waiting_ += framed("{\"jsonrpc\":\"2.0\",\"method\":\"exit\"}", 0);
            expectEnd(1);
            break;
        case 2: expectEnd(1); break;
        default:
            waiting_ += "Content-Length: 100\r\n\r\n{\"jsonrpc\":\"2.0\",";
            expectEnd(1);
            break;
        }
    }

    void expectEnd(int status) {
        sendWaiting();
        server_.closeInput();
        while (!server_.outputEnded()) {
            std::optional<json> message = server_.next(kAnswerMs);
            if (!message && !server_.outputEnded()) brokenPromise("the server did not end");
            if (message) received(*message);
        }
        const int got = server_.finish();
        if (got != status)
            brokenPromise("the server ended with " + std::to_string(got) + ", not " + std::to_string(status));
        if (!awaited_.empty()) brokenPromise("requests left unanswered at the end: " + awaited_.begin()->first);
    }

    Input& input_;
    std::uint8_t mode_;
    Choices choices_{0};
    Units units_;
    unsigned framingMask_ = 0;
    ServerSession server_;
    std::string waiting_;
    std::size_t sentBytes_ = 0;
    std::array<Document, kDocuments> documents_;
    std::int64_t nextVersion_ = 1;
    int nextId_ = 1;
    int nextOtherId_ = 0;
    // Answers with a null id still to come: one for each message sent that
    // is not JSON, or is no request, notification or answer.
    std::size_t anonymousAnswers_ = 0;
    std::map<std::string, Awaited> awaited_;
    std::map<std::pair<std::string, std::int64_t>, std::string> sent_;
    std::map<std::string, Published> published_;
    std::set<std::string> touched_;
    std::set<std::string> closed_;
};

}  // namespace

void runScriptedSession(std::uint8_t mode, const std::uint8_t* data, std::size_t size) {
    Input input(data, size);
    ScriptedSession session(input, mode);
    session.run();
}

}  // namespace zeb::fuzz
