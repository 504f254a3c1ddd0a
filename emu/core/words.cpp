#include "words.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>

namespace lx9emu {

std::vector<std::string> splitWords(const std::string& line) {
    std::vector<std::string> words;
    std::string word;
    for (char c : line) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            if (!word.empty()) words.push_back(std::move(word));
            word.clear();
        } else {
            word.push_back(c);
        }
    }
    if (!word.empty()) words.push_back(std::move(word));
    return words;
}

bool parseNumber(const std::string& text, uint64_t limit, uint64_t* value) {
    // Decimal, or hexadecimal after "0x": a leading zero never means octal ("010" is ten), and nothing but
    // digits is taken (no blanks or signs, which strtoull would pass over).
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const size_t first = hex ? 2 : 0;
    if (text.size() == first) return false;
    for (size_t i = first; i < text.size(); ++i)
        if (!(hex ? std::isxdigit(static_cast<unsigned char>(text[i]))
                  : std::isdigit(static_cast<unsigned char>(text[i]))))
            return false;
    errno = 0;
    unsigned long long n = std::strtoull(text.c_str() + first, nullptr, hex ? 16 : 10);
    if (errno != 0 || n > limit) return false;
    *value = n;
    return true;
}

}  // namespace lx9emu
