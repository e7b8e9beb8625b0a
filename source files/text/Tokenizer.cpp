#include "text/Tokenizer.h"

WString Tokenizer::Next() {
    size_t start = text_.find_first_not_of(delimiters_, position_);
    if (start == WString::npos) {
        position_ = text_.size();
        return WString();
    }
    size_t end = text_.find_first_of(delimiters_, start);
    if (end == WString::npos) {
        position_ = text_.size();
        return text_.substr(start);
    }
    position_ = end + 1;
    return text_.substr(start, end - start);
}
