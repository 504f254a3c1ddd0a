#include "words.h"

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
    if (text.empty() || text[0] == '-' || text[0] == '+' || text[0] == ' ') return false;
    char* end = nullptr;
    errno = 0;
    unsigned long long n = std::strtoull(text.c_str(), &end, 0);
    if (*end != '\0' || errno != 0 || n > limit) return false;
    *value = n;
    return true;
}

}  // namespace lx9emu
