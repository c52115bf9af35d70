// A JSON document as a tree that remembers on which line each value and each key stands, so that
// a profile's faults can be reported by line. nlohmann's DOM keeps no positions, so the tree is
// built from its SAX events over an input that counts what the parser has consumed.
#pragma once
#include <cstdint>
#include <string>
#include <vector>
#include "InputError.h"

namespace simtool {

struct JsonMember;

struct JsonValue {
    enum class Kind { Null, Boolean, Integer, Float, String, Array, Object };
    Kind kind = Kind::Null;
    int line = 0;
    bool boolean = false;
    int64_t integer = 0;  // also for unsigned numbers that fit
    bool integerFits = true;  // false: an integer beyond the signed 64-bit range
    double number = 0;
    std::string text;  // UTF-8
    std::vector<JsonValue> items;
    std::vector<JsonMember> members;  // in document order; no key twice

    const JsonMember* Member(const std::string& key) const;
    // "an object", "a text", "a number", ... for messages.
    const char* KindName() const;
};

struct JsonMember {
    std::string key;
    int line = 0;
    JsonValue value;
};

// Parses `text`; a syntax error or a key given twice in one object throws InputError with `file`
// and the line where the parser stopped.
JsonValue ParseJson(const std::string& text, const std::string& file);

}  // namespace simtool
