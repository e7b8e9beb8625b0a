#pragma once
// Splits text at a set of delimiters the way the list file's readers expect: delimiters at the
// position are skipped, the token is the following run of other characters, and the position
// moves past the token and one delimiter. An empty token means the end, so empty pieces never
// appear and nothing is trimmed.
#include <cstddef>
#include <utility>

#include "base/WString.h"

class Tokenizer {
public:
    Tokenizer(WString text, WString delimiters)
        : text_(std::move(text)), delimiters_(std::move(delimiters)) {}

    // The next token, or an empty string at the end.
    WString Next();

private:
    WString text_;
    WString delimiters_;
    size_t position_ = 0;
};
