// Running text's public entry points (quellix/text.hpp): TextHyphenator over its
// TextStream, hyphenateText and hyphenateHtml, firstUtf8Char, and what tests may reach.
// How a chunk travels: text_scanner.cpp reads it, text_html.cpp follows its markup,
// text_lang_scopes.cpp picks the language of each element's text, text_tokens.cpp and
// text_token_ascii.cpp collect and divide the words, text_parallel.cpp divides a chunk on
// several threads.
#include "quellix/text.hpp"

#include <algorithm>
#include <memory>
#include <string>
#include <utility>

#include "quellix/error.hpp"
#include "text_stream.hpp"
#include "visibility.hpp"

namespace quellix {

// Hidden: the state is the library's own, however public TextHyphenator is.
struct QUELLIX_HIDDEN TextHyphenator::State : detail::TextStream {
  using detail::TextStream::TextStream;
};

void detail::TextHyphenatorAccess::useGeneralPath(TextHyphenator& t) noexcept {
  t.state_->fast = false;
}

void detail::TextHyphenatorAccess::setMinimumPart(TextHyphenator& t, std::size_t bytes) noexcept {
  t.state_->minPart = std::max<std::size_t>(bytes, 1);
}

void detail::TextHyphenatorAccess::finishWith(TextHyphenator& t, std::string_view last,
                                              std::string& out) {
  t.state_->write(last, out, true);
  t.state_->reportUnknownLanguages();
  t.finish(out);
}

TextHyphenator::TextHyphenator(const Hyphenator& h, const TextOptions& options)
    : state_(std::make_unique<State>(h, options)) {}
TextHyphenator::~TextHyphenator() = default;
TextHyphenator::TextHyphenator(TextHyphenator&&) noexcept = default;
TextHyphenator& TextHyphenator::operator=(TextHyphenator&&) noexcept = default;

// Each call reports the lang values that named no language once its output is complete.
void TextHyphenator::write(std::string_view chunk, std::string& out) {
  state_->write(chunk, out);
  state_->reportUnknownLanguages();
}
void TextHyphenator::write(std::string_view chunk, std::string& out, unsigned threads) {
  state_->writeParallel(chunk, out, threads);
  state_->reportUnknownLanguages();
}
void TextHyphenator::finish(std::string& out) {
  state_->finish(out);
  state_->reportUnknownLanguages();
}
void TextHyphenator::onUnknownLanguage(std::function<void(std::string_view)> report) noexcept {
  state_->unknownLanguage.swap(report);
}
void TextHyphenator::reset() noexcept {
  state_->reset();
  state_->unknownLanguages.clear();
  state_->reportedLanguages.clear();
}

Utf8Char firstUtf8Char(std::string_view text) noexcept {
  if (text.empty()) return {};
  const detail::TextChar c = detail::charAt(text.data(), text.size());
  return Utf8Char{c.bytes.size(), c.code, c.wellFormed};
}

std::string hyphenateText(const Hyphenator& h, std::string_view text, const TextOptions& options) {
  TextHyphenator hyphenator(h, options);
  std::string out;
  // Prose grows by about a quarter with soft hyphens; pages reserved and never written
  // cost nothing, a reallocation copies everything.
  out.reserve(text.size() + text.size() / 2);
  detail::TextHyphenatorAccess::finishWith(hyphenator, text, out);
  return out;
}

std::string hyphenateHtml(const Hyphenator& h, std::string_view html, const TextOptions& options) {
  TextOptions asHtml = options;
  asHtml.markup = TextMarkup::Html;
  return hyphenateText(h, html, asHtml);
}

}  // namespace quellix
