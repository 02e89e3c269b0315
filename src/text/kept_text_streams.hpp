// Text streams kept between calls that divide whole texts with one hyphenator (a C API
// handle's; in Python, a built-in language's): making a TextHyphenator (its language's
// tables, its buffers) costs more than dividing a short text, resetting a kept one little.
// Internal.
#ifndef QUELLIX_SRC_TEXT_KEPT_TEXT_STREAMS_HPP
#define QUELLIX_SRC_TEXT_KEPT_TEXT_STREAMS_HPP

#include <array>
#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "quellix/hyphenator.hpp"
#include "quellix/text.hpp"
#include "text_tokens.hpp"

namespace quellix::detail {

// One stream for plain text and one for HTML, each with the options it was made for, and
// the last result, kept for its capacity. A call that finds them taken makes a stream of
// its own, as a call without them would: one on another thread, or one made from the
// report function of a call on the same object (so a flag, not a mutex, which that thread
// would already hold).
class KeptTextStreams {
 public:
  // Texts up to this size use the kept streams, whose set-up would count beside them; a
  // longer one gets a stream of its own, so that the kept ones never hold buffers grown
  // for it. A kept result's capacity beyond twice this is given back after the call.
  static constexpr std::size_t kMaxTextBytes = std::size_t{64} << 10;

  // Calls use(result), result a std::string& holding text divided with h and options, as
  // hyphenateText() divides it, report hearing the unknown lang values (as
  // TextHyphenator::onUnknownLanguage; it may be empty), and returns what use returns. h
  // must be the same hyphenator in every call on this object, and options must not set
  // isWordCharacter. Throws what dividing throws and what use throws.
  template <class Use>
  auto divide(const Hyphenator& h, std::string_view text, const TextOptions& options,
              std::function<void(std::string_view)> report, Use&& use) {
    if (text.size() > kMaxTextBytes || taken_.exchange(true, std::memory_order_acquire)) {
      TextHyphenator stream(h, options);
      stream.onUnknownLanguage(std::move(report));
      std::string result;
      divideWhole(stream, text, result);
      return use(result);
    }
    struct Give {
      std::atomic<bool>& taken;
      ~Give() { taken.store(false, std::memory_order_release); }
    } give{taken_};
    TextHyphenator& stream = keptFor(h, options);
    // The caller's function holds only for this call.
    const bool reporting = static_cast<bool>(report);
    struct Forget {
      TextHyphenator& stream;
      bool reporting;
      ~Forget() {
        if (reporting) stream.onUnknownLanguage({});
      }
    } forget{stream, reporting};
    if (reporting) stream.onUnknownLanguage(std::move(report));
    const auto trim = [this] {
      if (result_.capacity() > 2 * kMaxTextBytes) std::string().swap(result_);
      result_.clear();
    };
    trim();
    divideWhole(stream, text, result_);
    // finish() has reset the stream but for the lang values reported, which reset() forgets.
    byMarkup_[slotOf(options)].asNew = !reporting;
    struct TrimAfter {
      decltype(trim)& run;
      ~TrimAfter() { run(); }
    } trimAfter{trim};
    return use(result_);
  }

 private:
  struct Kept {
    TextOptions options;
    std::unique_ptr<TextHyphenator> stream;
    bool asNew = false;  // stream is as a new one (no reset() needed)
  };

  static std::size_t slotOf(const TextOptions& options) noexcept {
    return options.markup == TextMarkup::Html ? 1 : 0;
  }

  // Whether a stream made for a gives what one made for b would: every field but
  // isWordCharacter (TextOptions's fields are frozen with the ABI).
  static bool sameOptions(const TextOptions& a, const TextOptions& b) noexcept {
    return a.hyphen == b.hyphen && a.minWordLength == b.minWordLength &&
           a.skipSoftHyphenated == b.skipSoftHyphenated && a.skipCapitals == b.skipCapitals &&
           a.skipUrls == b.skipUrls && a.markup == b.markup && a.followLang == b.followLang;
  }

  // The kept stream for options, as a new one: reset, or made in place of one for other
  // options. Marks it as in use (not as new).
  TextHyphenator& keptFor(const Hyphenator& h, const TextOptions& options) {
    Kept& slot = byMarkup_[slotOf(options)];
    if (slot.stream != nullptr && sameOptions(slot.options, options)) {
      if (!slot.asNew) slot.stream->reset();  // text held back by a call that threw, lang values
    } else {
      slot.stream.reset();
      slot.options = options;
      slot.stream = std::make_unique<TextHyphenator>(h, options);
    }
    slot.asNew = false;
    return *slot.stream;
  }

  // The whole text through stream, appended to out.
  static void divideWhole(TextHyphenator& stream, std::string_view text, std::string& out) {
    // Prose grows by about a quarter with soft hyphens (as hyphenateText reserves).
    out.reserve(out.size() + text.size() + text.size() / 2);
    TextHyphenatorAccess::finishWith(stream, text, out);
  }

  std::atomic<bool> taken_{false};
  std::array<Kept, 2> byMarkup_;  // [0] plain text, [1] HTML
  std::string result_;
};

}  // namespace quellix::detail

#endif
