// Running text, plain and HTML: hyphenateText against its own promises. Removing the
// inserted hyphen strings gives the input back byte for byte, and TextHyphenator gives
// the same output however the text is cut into chunks, read character by character
// without the quick way, or divided on several threads. A run of letters far longer than
// the held window divides exactly as the whole word does, and nothing inside a raw-text
// element (with a script's escaped forms) gets a hyphen. In HTML, an element whose lang
// names a language is divided as that language's hyphenator divides the same text alone,
// one whose lang names none is copied, and a stream of such elements divides the same
// however it is cut.
//
// Input: a byte choosing the hyphenator (a built-in language, or one that may break
// after every character), a byte of option flags, a byte seeding the chunk sizes, then
// the text.
#include <cstddef>
#include <cstdint>

#include "fuzz_support.hpp"
#include "quellix/language.hpp"
#include "quellix/text.hpp"
#include "text_tokens.hpp"

using namespace quellix;
using namespace quellix::fuzz;

namespace {
// Breaks wherever the margins allow: the root's score list makes every boundary odd.
const Hyphenator& everywhere() {
  static const Hyphenator h(CharNormaliser(), parsePatterns(U"1\n"), Exceptions(), 1, 1);
  return h;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  const Hyphenator& h = data[0] == 0xFF ? everywhere() : languageHyphenator(toEnum(data[0] % languageCount));
  const std::uint8_t flags = data[1];
  std::uint32_t seed = data[2];
  const std::string_view text = asBytes(data + 3, size - 3);

  TextOptions options;
  options.markup = flags & 1 ? TextMarkup::Html : TextMarkup::Plain;
  options.skipSoftHyphenated = flags & 2;
  options.skipCapitals = flags & 4;
  options.skipUrls = flags & 8;
  options.minWordLength = (flags >> 4) % 8;
  // A one-byte hyphen string the text does not contain, so that its occurrences in the
  // output are exactly the inserted ones.
  char hyphen = 1;
  while (hyphen < 0x7F && text.find(hyphen) != std::string_view::npos) ++hyphen;
  const bool uniqueHyphen = hyphen < 0x7F;
  options.hyphen = std::string(1, hyphen);

  const std::string out = hyphenateText(h, text, options);
  if (uniqueHyphen) {
    std::string stripped;
    for (char c : out)
      if (c != hyphen) stripped += c;
    FUZZ_CHECK(stripped == text);
  }
  if (options.markup == TextMarkup::Html) FUZZ_CHECK(hyphenateHtml(h, text, options) == out);

  // The same text in chunks of 0 to 16 bytes, twice through one object (finish() makes
  // it ready for the next text), and once more after a reset() in the middle of a text.
  TextHyphenator stream(h, options);
  for (int round = 0; round < 2; ++round) {
    std::string chunked;
    std::size_t at = 0;
    while (at < text.size()) {
      seed = seed * 1103515245u + 12345u;
      const std::size_t length = std::min<std::size_t>((seed >> 16) % 17, text.size() - at);
      stream.write(text.substr(at, length), chunked);
      at += length;
    }
    stream.finish(chunked);
    FUZZ_CHECK(chunked == out);
  }
  // Character by character, without the quick way for white space and ASCII tokens: the
  // same output.
  TextHyphenator general(h, options);
  detail::TextHyphenatorAccess::useGeneralPath(general);
  std::string generalOut;
  general.write(text, generalOut);
  general.finish(generalOut);
  FUZZ_CHECK(generalOut == out);

  // On several threads, in parts of a few bytes cut wherever they may be: the same again.
  TextHyphenator parallel(h, options);
  detail::TextHyphenatorAccess::setMinimumPart(parallel, 1 + seed % 16);
  const unsigned threads = 2 + seed % 3;
  const std::size_t firstChunk = text.size() == 0 ? 0 : seed % text.size();
  std::string parallelOut;
  parallel.write(text.substr(0, firstChunk), parallelOut, threads);
  parallel.write(text.substr(firstChunk), parallelOut, threads);
  parallel.finish(parallelOut);
  FUZZ_CHECK(parallelOut == out);

  std::string discarded;
  stream.write(text.substr(0, text.size() / 2), discarded);
  stream.reset();
  std::string whole;
  stream.write(text, whole);
  stream.finish(whole);
  FUZZ_CHECK(whole == out);

  // The default soft hyphen: chunking changes nothing either.
  options.hyphen = "\u00AD";
  const std::string soft = hyphenateText(h, text, options);
  TextHyphenator softStream(h, options);
  std::string softChunked;
  for (std::size_t at = 0; at < text.size(); at += 7) softStream.write(text.substr(at, 7), softChunked);
  softStream.finish(softChunked);
  FUZZ_CHECK(softChunked == soft);

  // The input's ASCII letters repeated into a run three times the held window.
  std::string letters;
  for (char c : text)
    if ((c | 0x20) >= 'a' && (c | 0x20) <= 'z') letters += c;
  if (!letters.empty()) {
    const Hyphenator& runHyphenator = data[0] == 0xFF ? everywhere() : english_US.get();
    std::string run;
    while (run.size() < 3 * kMaxHeldBytes) run += letters;
    std::string runDivided;
    for (const std::string_view piece : hyphenate(runHyphenator, std::string_view(run))) {
      if (!runDivided.empty()) runDivided += '|';
      runDivided += piece;
    }
    const TextOptions bars{.hyphen = "|", .minWordLength = 0, .skipUrls = false};
    FUZZ_CHECK(hyphenateText(runHyphenator, run, bars) == runDivided);
  }

  // Raw text stays as it is, whatever it holds short of its own end tag.
  std::string raw;
  for (char c : text)
    if (c != '<') raw += c;
  for (const char* element : {"script", "style", "textarea", "title", "xmp", "iframe", "noembed",
                              "noframes"}) {
    const std::string page = std::string("<") + element + ">" + raw + "</" + element + ">";
    FUZZ_CHECK(hyphenateHtml(h, page, options) == page);
  }
  const std::string nested = "<script><!--<script>" + raw + "</script>" + raw + "--></script>";
  if (raw.find("-->") == std::string::npos)  // which would end the nested script early
    FUZZ_CHECK(hyphenateHtml(h, nested, options) == nested);

  // lang= picks the hyphenator of an element's text, and an unknown one leaves it alone.
  const Language other = toEnum(data[2] % languageCount);
  const std::string affix(languageAffix(other));
  const TextOptions html{.hyphen = options.hyphen, .minWordLength = options.minWordLength,
                         .skipSoftHyphenated = options.skipSoftHyphenated,
                         .skipCapitals = options.skipCapitals, .skipUrls = options.skipUrls,
                         .markup = TextMarkup::Html};
  const std::string inner = hyphenateHtml(languageHyphenator(other), raw, html);
  FUZZ_CHECK(hyphenateHtml(h, "<div lang=\"" + affix + "\">" + raw + "</div>", html) ==
             "<div lang=\"" + affix + "\">" + inner + "</div>");
  FUZZ_CHECK(hyphenateHtml(h, "<p lang=" + affix + "><b lang=''>" + raw + "</b>", html) ==
             "<p lang=" + affix + "><b lang=''>" + raw + "</b>");
  // Elements nested, closed and implied around the text, streamed in small chunks.
  const std::string page = "<ul lang=" + affix + "><li>" + raw + "<li lang=xx>" + raw +
                           "</ul><p xml:lang=" + affix + ">" + raw + "<div>" + raw;
  const std::string pageOut = hyphenateHtml(h, page, html);
  TextHyphenator pageStream(h, html);
  std::string pageChunked;
  for (std::size_t at = 0; at < page.size(); at += 3) pageStream.write(page.substr(at, 3), pageChunked);
  pageStream.finish(pageChunked);
  FUZZ_CHECK(pageChunked == pageOut);
  return 0;
}
