#include "rdbtool/source_lexer.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

}  // namespace

bool SplitSourceLine(const std::string& line, std::vector<SourceToken>& tokens, std::string& error) {
    tokens.clear();
    size_t i = 0;
    while (i < line.size()) {
        if (IsBlank(line[i])) {
            ++i;
            continue;
        }
        if (line[i] == '#') break;
        SourceToken token{line[i] == '"', std::string()};
        if (token.quoted) {
            ++i;
            bool closed = false;
            while (i < line.size()) {
                char c = line[i++];
                if (c == '"') {
                    closed = true;
                    break;
                }
                token.text += c;
                // An escape's second character never closes the text.
                if (c == '`' && i < line.size()) token.text += line[i++];
            }
            if (!closed) {
                error = "missing closing quote";
                return false;
            }
        } else {
            while (i < line.size() && !IsBlank(line[i]) && line[i] != '"') token.text += line[i++];
        }
        if (i < line.size() && !IsBlank(line[i]) && line[i] != '#') {
            error = "put a blank between \"" + token.text + "\" and what follows it";
            return false;
        }
        tokens.push_back(std::move(token));
    }
    return true;
}
