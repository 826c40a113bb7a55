// Splitting one line of a source into words and quoted texts.  Blanks
// separate tokens; "#" outside quotes starts a comment that runs to the end
// of the line.
#pragma once
#include <string>
#include <vector>

struct SourceToken {
    bool quoted;
    std::string text;  // quoted: the text between the quotes, escapes not yet resolved
};

// False with a message on an unterminated quote or a quote glued to a word.
bool SplitSourceLine(const std::string& line, std::vector<SourceToken>& tokens, std::string& error);
