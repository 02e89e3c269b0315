// Word mode: each WORD argument or line of standard input divided, one output line each.
#ifndef QUELLIX_TOOLS_TOOL_WORDS_HPP
#define QUELLIX_TOOLS_TOOL_WORDS_HPP

#include "quellix/hyphenator.hpp"
#include "tool_command_line.hpp"
#include "tool_io.hpp"

namespace quellix::tool {

// Divides the words of settings.words, or of every line of standard input, writing one line
// to out for each: whole lines as one word with --exact, every word of a line otherwise (with
// a dictionary, with its changes of spelling). Throws StreamError, OutOfMemory.
void divideWords(const Settings& settings, const quellix::Hyphenator& h, Output& out);

}  // namespace quellix::tool

#endif  // QUELLIX_TOOLS_TOOL_WORDS_HPP
