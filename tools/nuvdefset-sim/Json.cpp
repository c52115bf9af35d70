#include "Json.h"
#include <algorithm>
#include <iterator>
#include <nlohmann/json.hpp>

namespace simtool {

namespace {

// A character iterator that records how far the parser has read. nlohmann reads its input
// strictly forward, one character at a time, and raises each event right after the token it
// completes, so the last character read belongs to that token (a number's look-ahead character
// is the blank, comma or line end that follows it, still on its line).
class CountingIterator {
public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = char;
    using difference_type = std::ptrdiff_t;
    using pointer = const char*;
    using reference = const char&;

    CountingIterator(const char* at, const char* begin, size_t* consumed)
        : m_at(at), m_begin(begin), m_consumed(consumed) {}
    reference operator*() const { return *m_at; }
    CountingIterator& operator++() {
        ++m_at;
        *m_consumed = static_cast<size_t>(m_at - m_begin);
        return *this;
    }
    CountingIterator operator++(int) {
        CountingIterator before = *this;
        ++*this;
        return before;
    }
    bool operator==(const CountingIterator& other) const { return m_at == other.m_at; }
    bool operator!=(const CountingIterator& other) const { return m_at != other.m_at; }

private:
    const char* m_at;
    const char* m_begin;
    size_t* m_consumed;
};

class TreeBuilder : public nlohmann::json_sax<nlohmann::json> {
public:
    TreeBuilder(const std::string& text, const std::string& file, const size_t* consumed)
        : m_file(file), m_consumed(consumed) {
        for (size_t i = 0; i < text.size(); ++i)
            if (text[i] == '\n') m_lineEnds.push_back(i);
    }

    JsonValue Result() { return std::move(m_root); }
    const InputError& Error() const { return m_error; }
    bool Failed() const { return m_failed; }

    bool null() override { return Add(JsonValue{}); }
    bool boolean(bool value) override {
        JsonValue v;
        v.kind = JsonValue::Kind::Boolean;
        v.boolean = value;
        return Add(std::move(v));
    }
    bool number_integer(number_integer_t value) override {
        JsonValue v;
        v.kind = JsonValue::Kind::Integer;
        v.integer = value;
        v.number = static_cast<double>(value);
        return Add(std::move(v));
    }
    bool number_unsigned(number_unsigned_t value) override {
        JsonValue v;
        v.kind = JsonValue::Kind::Integer;
        v.integerFits = value <= static_cast<uint64_t>(INT64_MAX);
        v.integer = v.integerFits ? static_cast<int64_t>(value) : INT64_MAX;
        v.number = static_cast<double>(value);
        return Add(std::move(v));
    }
    bool number_float(number_float_t value, const string_t&) override {
        JsonValue v;
        v.kind = JsonValue::Kind::Float;
        v.number = value;
        return Add(std::move(v));
    }
    bool string(string_t& value) override {
        JsonValue v;
        v.kind = JsonValue::Kind::String;
        v.text = std::move(value);
        return Add(std::move(v));
    }
    bool binary(binary_t&) override { return Fail(Line(), "binary values are not JSON"); }
    bool start_object(std::size_t) override {
        JsonValue v;
        v.kind = JsonValue::Kind::Object;
        return Open(std::move(v));
    }
    bool key(string_t& name) override {
        JsonValue& object = *m_open.back();
        for (const JsonMember& m : object.members)
            if (m.key == name)
                return Fail(Line(), "the key \"" + name + "\" is given twice in one object (first on line " +
                                        std::to_string(m.line) + ")");
        m_pendingKey = std::move(name);
        m_pendingKeyLine = Line();
        return true;
    }
    bool end_object() override { return Close(); }
    bool start_array(std::size_t) override {
        JsonValue v;
        v.kind = JsonValue::Kind::Array;
        return Open(std::move(v));
    }
    bool end_array() override { return Close(); }
    bool parse_error(std::size_t position, const std::string&, const nlohmann::detail::exception& ex) override {
        return Fail(LineAt(position), "not valid JSON: " + Explain(ex.what()));
    }

private:
    int LineAt(size_t consumed) const {
        size_t at = consumed ? consumed - 1 : 0;
        return 1 + static_cast<int>(std::lower_bound(m_lineEnds.begin(), m_lineEnds.end(), at) - m_lineEnds.begin());
    }
    int Line() const { return LineAt(*m_consumed); }

    // nlohmann's message without its code, its own position and the echo of what it read.
    static std::string Explain(std::string what) {
        size_t colon = what.find(": ");
        if (what.rfind("[json.exception", 0) == 0 && colon != std::string::npos) what = what.substr(colon + 2);
        size_t echo = what.find("; last read: ");
        if (echo != std::string::npos) {
            size_t end = what.find("'; ", echo + 13);
            what = what.substr(0, echo) + (end == std::string::npos ? std::string() : what.substr(end + 1));
        }
        return what;
    }

    bool Fail(int line, std::string message) {
        m_failed = true;
        m_error = InputError{m_file, line, std::move(message)};
        return false;
    }

    // Places a finished value into the open array or object, or makes it the document.
    JsonValue* Place(JsonValue value) {
        if (value.line == 0) value.line = Line();
        if (m_open.empty()) {
            m_root = std::move(value);
            return &m_root;
        }
        JsonValue& parent = *m_open.back();
        if (parent.kind == JsonValue::Kind::Array) {
            parent.items.push_back(std::move(value));
            return &parent.items.back();
        }
        parent.members.push_back(JsonMember{std::move(m_pendingKey), m_pendingKeyLine, std::move(value)});
        return &parent.members.back().value;
    }
    bool Add(JsonValue value) {
        Place(std::move(value));
        return true;
    }
    // The open containers are addressed through their parents' vectors, which only grow at their
    // end while the container is open, and the last element of a vector keeps its address until
    // the next one is added to that same vector, which cannot happen while it is still open.
    bool Open(JsonValue value) {
        m_open.push_back(Place(std::move(value)));
        return true;
    }
    bool Close() {
        m_open.pop_back();
        return true;
    }

    std::string m_file;
    const size_t* m_consumed;
    std::vector<size_t> m_lineEnds;
    JsonValue m_root;
    std::vector<JsonValue*> m_open;
    std::string m_pendingKey;
    int m_pendingKeyLine = 0;
    bool m_failed = false;
    InputError m_error;
};

}  // namespace

const JsonMember* JsonValue::Member(const std::string& key) const {
    for (const JsonMember& m : members)
        if (m.key == key) return &m;
    return nullptr;
}

const char* JsonValue::KindName() const {
    switch (kind) {
    case Kind::Null: return "null";
    case Kind::Boolean: return boolean ? "true" : "false";
    case Kind::Integer: return "a whole number";
    case Kind::Float: return "a number with a fraction";
    case Kind::String: return "a text";
    case Kind::Array: return "a list";
    case Kind::Object: return "an object";
    }
    return "a value";
}

JsonValue ParseJson(const std::string& text, const std::string& file) {
    size_t consumed = 0;
    TreeBuilder builder(text, file, &consumed);
    CountingIterator begin(text.data(), text.data(), &consumed);
    CountingIterator end(text.data() + text.size(), text.data(), &consumed);
    bool ok = nlohmann::json::sax_parse(begin, end, &builder);
    if (!ok || builder.Failed()) {
        if (builder.Failed()) throw builder.Error();
        throw InputError{file, 1, "not valid JSON"};
    }
    return builder.Result();
}

}  // namespace simtool
