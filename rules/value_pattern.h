// Expansion of a rule's value text against this machine's system directory.
#pragma once

// Takes ownership of a malloc'd text and returns a new malloc'd text: "*"
// when the text holds an asterisk, else its first "%system%" (any letter
// case) replaced by the system directory.  Null only when out of memory.
char* ExpandValuePattern(char* text);
