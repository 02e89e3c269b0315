// The C interface (quellix/quellix.h) over the C++ library. Every entry point catches
// everything: no exception crosses into C.
#include "quellix/quellix.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <functional>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "quellix/custom.hpp"
#include "quellix/dictionary.hpp"
#include "quellix/error.hpp"
#include "quellix/hyphenator.hpp"
#include "quellix/language.hpp"
#include "quellix/language_tag.hpp"
#include "quellix/text.hpp"
#include "quellix/version.hpp"
#include "language_table.hpp"
#include "printable_message.hpp"
#include "kept_text_streams.hpp"

struct quellix_hyphenator {
  quellix::Language language;
  // The language's shared hyphenator, or own when this handle was derived or read.
  const quellix::Hyphenator* hyphenator;
  std::unique_ptr<const quellix::Hyphenator> own;
  std::string dictionary;  // the source of a dictionary's hyphenator, else empty
  // Kept between quellix_hyphenate_text calls (see kept_text_streams.hpp).
  mutable quellix::detail::KeptTextStreams text = {};
};

namespace {

thread_local std::string lastError;

// Messages may quote a caller's text (a language name, a word): printableMessage() cuts
// them and escapes what a terminal could act on.
using quellix::detail::kMessageLimit;

quellix_status fail(quellix_status status, std::string_view message) noexcept {
  try {
    lastError = quellix::detail::printableMessage(message);
  } catch (...) {
    lastError.clear();  // no memory for the message: an empty one is still true
  }
  return status;
}

// Runs body, turning every exception into a status and a message.
template <class Body>
quellix_status guarded(Body&& body) noexcept {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return fail(QUELLIX_ERROR_NO_MEMORY, "out of memory");
  } catch (const quellix::DataFileError& error) {
    return fail(QUELLIX_ERROR_DATA, error.what());
  } catch (const quellix::DictionaryError& error) {
    return fail(QUELLIX_ERROR_DATA, error.what());
  } catch (const quellix::FileError& error) {
    return fail(QUELLIX_ERROR_DATA, error.what());
  } catch (const quellix::DecompressionError& error) {
    return fail(QUELLIX_ERROR_DATA, error.what());
  } catch (const quellix::ArgumentError& error) {
    return fail(QUELLIX_ERROR_INVALID_ARGUMENT, error.what());
  } catch (const quellix::ScoreError& error) {
    return fail(QUELLIX_ERROR_NO_SCORE, error.what());
  } catch (const std::exception& error) {
    return fail(QUELLIX_ERROR_INTERNAL, error.what());
  } catch (...) {
    return fail(QUELLIX_ERROR_INTERNAL, "unknown failure");
  }
}

std::string_view textOf(const char* text, std::size_t length) {
  return length == QUELLIX_NUL_TERMINATED ? std::string_view(text) : std::string_view(text, length);
}

// Stores result's length and copies it with its NUL when it fits, as quellix.h describes.
quellix_status deliver(const std::string& result, char* buffer, std::size_t capacity,
                       std::size_t* length) {
  *length = result.size();
  if (capacity > result.size()) {
    std::memcpy(buffer, result.data(), result.size());
    buffer[result.size()] = '\0';
    return QUELLIX_OK;
  }
  if (capacity > 0) buffer[0] = '\0';
  return fail(QUELLIX_ERROR_BUFFER_TOO_SMALL, "the buffer is too small for the result");
}

bool badBuffer(const void* buffer, std::size_t capacity) { return buffer == nullptr && capacity > 0; }

// quellix_hyphenate_text once its arguments are checked: text divided with the handle's
// kept streams (a long text, or one that finds them in use, with a stream of its own), and
// delivered. report: the caller's unknown_lang, or empty. Throws what the division throws.
quellix_status hyphenateText(const quellix_hyphenator& handle, std::string_view text,
                             const quellix::TextOptions& settings,
                             std::function<void(std::string_view)> report, char* buffer,
                             std::size_t capacity, std::size_t* length) {
  return handle.text.divide(*handle.hyphenator, text, settings, std::move(report),
                            [&](const std::string& result) { return deliver(result, buffer, capacity, length); });
}

// The pieces with separator between them.
template <class Piece>
std::string joined(const std::vector<Piece>& pieces, const char* separator) {
  std::string result;
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    if (i != 0) result += separator;
    result += pieces[i];
  }
  return result;
}

// The pieces that divide() makes of the word, joined by separator, delivered into buffer:
// quellix_hyphenate and quellix_hyphenate_with_changes differ only in divide.
template <class Divide>
quellix_status deliverPieces(const quellix_hyphenator* hyphenator, const char* word,
                             std::size_t word_length, const char* separator, char* buffer,
                             std::size_t capacity, std::size_t* length, Divide divide) noexcept {
  if (hyphenator == nullptr || word == nullptr || separator == nullptr || length == nullptr ||
      badBuffer(buffer, capacity))
    return fail(QUELLIX_ERROR_INVALID_ARGUMENT, "a required pointer is NULL");
  return guarded([&] {
    return deliver(joined(divide(*hyphenator->hyphenator, textOf(word, word_length)), separator), buffer,
                   capacity, length);
  });
}

}  // namespace

extern "C" {

const char* quellix_status_message(int status) {
  switch (status) {
    case QUELLIX_OK: return "success";
    case QUELLIX_ERROR_INVALID_ARGUMENT: return "invalid argument";
    case QUELLIX_ERROR_UNKNOWN_LANGUAGE: return "unknown language";
    case QUELLIX_ERROR_BUFFER_TOO_SMALL: return "the buffer is too small";
    case QUELLIX_ERROR_NO_MEMORY: return "out of memory";
    case QUELLIX_ERROR_DATA: return "language data missing or damaged";
    case QUELLIX_ERROR_INTERNAL: return "internal error";
    case QUELLIX_ERROR_NO_SCORE: return "no score for the word (margins of 0 or less)";
  }
  return "unknown status";
}

const char* quellix_last_error(void) { return lastError.c_str(); }

quellix_status quellix_hyphenator_open(const char* name, quellix_hyphenator** out) {
  if (out == nullptr) return fail(QUELLIX_ERROR_INVALID_ARGUMENT, "out is NULL");
  *out = nullptr;
  if (name == nullptr) return fail(QUELLIX_ERROR_INVALID_ARGUMENT, "name is NULL");
  return guarded([&] {
    const auto language = quellix::findLanguage(name);
    if (!language) {
      // Only what the message can show is copied: a name may be megabytes long.
      const std::string_view given(name, strnlen(name, kMessageLimit + 1));
      return fail(QUELLIX_ERROR_UNKNOWN_LANGUAGE, "no language is named '" + std::string(given) + "'");
    }
    const quellix::Hyphenator& h = quellix::languageHyphenator(*language);
    *out = new quellix_hyphenator{*language, &h, nullptr, {}};
    return QUELLIX_OK;
  });
}

void quellix_hyphenator_close(quellix_hyphenator* hyphenator) { delete hyphenator; }

const char* quellix_hyphenator_language(const quellix_hyphenator* hyphenator) {
  // Names are NUL-terminated in static storage.
  if (hyphenator == nullptr) return nullptr;
  if (!hyphenator->dictionary.empty()) return hyphenator->dictionary.c_str();
  return quellix::languageName(hyphenator->language).data();
}

quellix_status quellix_break_points(const quellix_hyphenator* hyphenator, const char* word,
                                    size_t word_length, size_t* positions, size_t capacity,
                                    size_t* count) {
  if (hyphenator == nullptr || word == nullptr || count == nullptr ||
      badBuffer(positions, capacity))
    return fail(QUELLIX_ERROR_INVALID_ARGUMENT, "a required pointer is NULL");
  return guarded([&] {
    *count = quellix::breakPoints(*hyphenator->hyphenator, textOf(word, word_length),
                                  std::span<std::size_t>(positions, capacity));
    if (*count > capacity)
      return fail(QUELLIX_ERROR_BUFFER_TOO_SMALL, "the buffer is too small for the positions");
    return QUELLIX_OK;
  });
}

quellix_status quellix_hyphenate(const quellix_hyphenator* hyphenator, const char* word,
                                 size_t word_length, const char* separator, char* buffer,
                                 size_t capacity, size_t* length) {
  return deliverPieces(hyphenator, word, word_length, separator, buffer, capacity, length,
                       [](const quellix::Hyphenator& h, std::string_view w) { return quellix::hyphenate(h, w); });
}

namespace {
quellix_status openDictionary(quellix::Hyphenator h, std::string source, quellix_hyphenator** out) {
  auto own = std::make_unique<const quellix::Hyphenator>(std::move(h));
  const quellix::Hyphenator* held = own.get();
  *out = new quellix_hyphenator{quellix::Language::English_US, held, std::move(own), std::move(source)};
  return QUELLIX_OK;
}
}  // namespace

quellix_status quellix_hyphenator_open_dictionary(const char* path, quellix_hyphenator** out) {
  if (out == nullptr) return fail(QUELLIX_ERROR_INVALID_ARGUMENT, "out is NULL");
  *out = nullptr;
  if (path == nullptr) return fail(QUELLIX_ERROR_INVALID_ARGUMENT, "path is NULL");
  return guarded([&] { return openDictionary(quellix::loadDictionary(path), path, out); });
}

quellix_status quellix_hyphenator_open_dictionary_data(const char* data, size_t length,
                                                       const char* source, quellix_hyphenator** out) {
  if (out == nullptr) return fail(QUELLIX_ERROR_INVALID_ARGUMENT, "out is NULL");
  *out = nullptr;
  if (data == nullptr) return fail(QUELLIX_ERROR_INVALID_ARGUMENT, "data is NULL");
  return guarded([&] {
    const std::string name = source != nullptr ? source : "dictionary";
    return openDictionary(quellix::readDictionary(textOf(data, length), name), name, out);
  });
}

quellix_status quellix_hyphenate_with_changes(const quellix_hyphenator* hyphenator, const char* word,
                                              size_t word_length, const char* separator, char* buffer,
                                              size_t capacity, size_t* length) {
  return deliverPieces(hyphenator, word, word_length, separator, buffer, capacity, length,
                       [](const quellix::Hyphenator& h, std::string_view w) {
                         return quellix::hyphenateWithChanges(h, w);
                       });
}

quellix_status quellix_hyphenate_text(const quellix_hyphenator* hyphenator, const char* text,
                                      size_t text_length, const quellix_text_options* options,
                                      char* buffer, size_t capacity, size_t* length) {
  if (hyphenator == nullptr || text == nullptr || length == nullptr ||
      badBuffer(buffer, capacity))
    return fail(QUELLIX_ERROR_INVALID_ARGUMENT, "a required pointer is NULL");
  // The caller's fields over the defaults: a struct from an older header lacks later ones.
  quellix_text_options given = quellix_text_options_default();
  if (options != nullptr) {
    constexpr size_t kFirstSize = offsetof(quellix_text_options, follow_lang) + sizeof(int);
    if (options->struct_size < kFirstSize)
      return fail(QUELLIX_ERROR_INVALID_ARGUMENT,
                  "options->struct_size is too small: start from quellix_text_options_default()");
    std::memcpy(&given, options, std::min(options->struct_size, sizeof given));
    given.struct_size = sizeof given;
  }
  return guarded([&] {
    quellix::TextOptions settings;
    if (given.hyphen != nullptr) settings.hyphen = textOf(given.hyphen, given.hyphen_length);
    settings.minWordLength = given.min_word_length;
    settings.skipSoftHyphenated = given.skip_soft_hyphenated != 0;
    settings.skipCapitals = given.skip_capitals != 0;
    settings.skipUrls = given.skip_urls != 0;
    settings.markup = given.html != 0 ? quellix::TextMarkup::Html : quellix::TextMarkup::Plain;
    settings.followLang = given.follow_lang != 0;
    std::function<void(std::string_view)> report;
    if (given.unknown_lang != nullptr)
      report = [call = given.unknown_lang, context = given.unknown_lang_context](std::string_view value) {
        call(context, value.data(), value.size());
      };
    return hyphenateText(*hyphenator, textOf(text, text_length), settings, std::move(report), buffer,
                         capacity, length);
  });
}

size_t quellix_language_count(void) { return quellix::languageCount; }

const char* quellix_language_name(size_t index) {
  // Names and affixes are NUL-terminated literals in static storage.
  return index < quellix::languageCount ? quellix::detail::kLanguageRows[index].name.data() : nullptr;
}

const char* quellix_language_affix(size_t index) {
  return index < quellix::languageCount ? quellix::detail::kLanguageRows[index].affix.data()
                                        : nullptr;
}

quellix_status quellix_language_margins(size_t index, int* left_min, int* right_min) {
  if (left_min == nullptr || right_min == nullptr)
    return fail(QUELLIX_ERROR_INVALID_ARGUMENT, "a required pointer is NULL");
  if (index >= quellix::languageCount)
    return fail(QUELLIX_ERROR_INVALID_ARGUMENT, "no language has this index");
  // The table's margins are single digits.
  *left_min = static_cast<int>(quellix::detail::kLanguageRows[index].leftMin);
  *right_min = static_cast<int>(quellix::detail::kLanguageRows[index].rightMin);
  return QUELLIX_OK;
}

quellix_status quellix_find_language(const char* tag, size_t tag_length, size_t* index) {
  if (tag == nullptr || index == nullptr)
    return fail(QUELLIX_ERROR_INVALID_ARGUMENT, "a required pointer is NULL");
  return guarded([&] {
    const std::string_view text = textOf(tag, tag_length);
    const auto language = quellix::findLanguage(text);
    if (!language)
      return fail(QUELLIX_ERROR_UNKNOWN_LANGUAGE,
                  "no language is named '" + std::string(text.substr(0, kMessageLimit)) + "'");
    *index = static_cast<size_t>(*language);
    return QUELLIX_OK;
  });
}

const char* quellix_version(void) { return QUELLIX_VERSION_STRING; }

quellix_status quellix_hyphenator_margins(const quellix_hyphenator* hyphenator, int64_t* left_min,
                                          int64_t* right_min) {
  if (hyphenator == nullptr || left_min == nullptr || right_min == nullptr)
    return fail(QUELLIX_ERROR_INVALID_ARGUMENT, "a required pointer is NULL");
  *left_min = quellix::hyphenatorLeftMin(*hyphenator->hyphenator);
  *right_min = quellix::hyphenatorRightMin(*hyphenator->hyphenator);
  return QUELLIX_OK;
}

quellix_status quellix_hyphenator_with_exceptions(const quellix_hyphenator* base, const char* list,
                                                  size_t list_length, quellix_hyphenator** out) {
  if (out == nullptr) return fail(QUELLIX_ERROR_INVALID_ARGUMENT, "out is NULL");
  *out = nullptr;
  if (base == nullptr || list == nullptr)
    return fail(QUELLIX_ERROR_INVALID_ARGUMENT, "a required pointer is NULL");
  return guarded([&] {
    auto own = std::make_unique<const quellix::Hyphenator>(
        quellix::withExceptions(*base->hyphenator, textOf(list, list_length)));
    const quellix::Hyphenator* h = own.get();
    *out = new quellix_hyphenator{base->language, h, std::move(own), base->dictionary};
    return QUELLIX_OK;
  });
}

quellix_status quellix_hyphenator_with_margins(const quellix_hyphenator* base, int64_t left_min,
                                               int64_t right_min, quellix_hyphenator** out) {
  if (out == nullptr) return fail(QUELLIX_ERROR_INVALID_ARGUMENT, "out is NULL");
  *out = nullptr;
  if (base == nullptr) return fail(QUELLIX_ERROR_INVALID_ARGUMENT, "base is NULL");
  return guarded([&] {
    auto own = std::make_unique<const quellix::Hyphenator>(
        quellix::withMargins(*base->hyphenator, left_min, right_min));
    const quellix::Hyphenator* h = own.get();
    *out = new quellix_hyphenator{base->language, h, std::move(own), base->dictionary};
    return QUELLIX_OK;
  });
}

}  // extern "C"
