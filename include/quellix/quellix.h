/* quellix's C interface: word division and running-text hyphenation for C programs and
 * for other languages' foreign-function interfaces. C99, C11 and C++ compatible.
 *
 *   quellix_hyphenator* h;
 *   if (quellix_hyphenator_open("en-us", &h) == QUELLIX_OK) {
 *     char out[64];
 *     size_t length;
 *     quellix_hyphenate(h, "associate", QUELLIX_NUL_TERMINATED, "-", out, sizeof out, &length);
 *     puts(out);   (prints as-so-ciate)
 *     quellix_hyphenator_close(h);
 *   }
 *
 * Text is UTF-8 throughout; bytes that are not well-formed UTF-8 are kept as they are, each
 * counting as one character that no pattern knows. A length parameter gives the size in
 * bytes, or QUELLIX_NUL_TERMINATED for a NUL-terminated string.
 *
 * Results go into caller buffers. A function that writes a string stores the string's
 * length (without the terminating NUL) in *length and writes the string with its NUL when
 * capacity > *length; otherwise it writes an empty string (when capacity > 0) and returns
 * QUELLIX_ERROR_BUFFER_TOO_SMALL, so that the caller can retry with *length + 1 bytes.
 *
 * Every function returns a quellix_status and never lets a C++ exception escape. After a
 * failure, quellix_last_error() describes it.
 *
 * Threads: every function may be called from any number of threads at once, also with the
 * same handle, except that a handle must not be closed while another thread uses it. The
 * message of quellix_last_error() is kept per thread.
 */
#ifndef QUELLIX_QUELLIX_H
#define QUELLIX_QUELLIX_H

#include <stddef.h>
#include <stdint.h>

#include "quellix/export.hpp"
#include "quellix/limits.h"

#ifdef __cplusplus
extern "C" {
#endif

/* What a call did. */
typedef enum quellix_status {
  QUELLIX_OK = 0,
  /* A required pointer was NULL, or a value was outside its domain. */
  QUELLIX_ERROR_INVALID_ARGUMENT = 1,
  /* No language has this name or affix. */
  QUELLIX_ERROR_UNKNOWN_LANGUAGE = 2,
  /* The result did not fit into the caller's buffer; see the size reported. */
  QUELLIX_ERROR_BUFFER_TOO_SMALL = 3,
  /* Memory ran out. */
  QUELLIX_ERROR_NO_MEMORY = 4,
  /* A language's embedded data is missing or damaged. */
  QUELLIX_ERROR_DATA = 5,
  /* Any other failure inside the library. */
  QUELLIX_ERROR_INTERNAL = 6,
  /* The word has no score to pair with its characters: only an empty word divided with
   * margins whose sum is 0 or less (see quellix_hyphenator_with_margins). */
  QUELLIX_ERROR_NO_SCORE = 7
} quellix_status;

/* A length that means "up to the terminating NUL". */
#define QUELLIX_NUL_TERMINATED ((size_t)-1)

/* A hyphenator: an opaque handle to the shared hyphenator of one built-in language, or to a
 * dictionary's hyphenator. */
typedef struct quellix_hyphenator quellix_hyphenator;

/* A fixed English description of status (a quellix_status value), such as "the buffer is
 * too small"; "unknown status" for any other number. Taken as an int so that any number a
 * foreign caller passes is well defined. The string is static. */
QUELLIX_API const char* quellix_status_message(int status);

/* The message of the last failed call on this thread (the library's own, naming the
 * language, file or argument), or "" when no call has failed on this thread. Valid until
 * the next call into the library on this thread. At most 256 bytes; a caller's text quoted
 * in it has its control characters, bidirectional controls (U+202E, ...) and malformed
 * bytes written as \xHH, so that it is safe to print. */
QUELLIX_API const char* quellix_last_error(void);

/* Opens the hyphenator of the language that name names, as quellix_find_language resolves
 * it (an affix "en-us", a name "English_US", a tag "de-AT", a locale "de_DE.UTF-8"), and stores a new handle in *out (NULL on failure). The
 * language's tables are built from the embedded data once per process, on first use.
 * Returns QUELLIX_ERROR_UNKNOWN_LANGUAGE, QUELLIX_ERROR_INVALID_ARGUMENT (name or out NULL)
 * or QUELLIX_ERROR_NO_MEMORY. */
QUELLIX_API quellix_status quellix_hyphenator_open(const char* name, quellix_hyphenator** out);

/* Releases a handle; NULL is ignored. */
QUELLIX_API void quellix_hyphenator_close(quellix_hyphenator* hyphenator);

/* The language's name ("English_US"), a static string; for a dictionary's handle the path or
 * source it was read from, valid as long as the handle; NULL for a NULL handle. */
QUELLIX_API const char* quellix_hyphenator_language(const quellix_hyphenator* hyphenator);

/* The break positions of one word, as byte offsets from its start, ascending: stores their
 * number in *count and writes the first min(*count, capacity) of them to positions (which
 * may be NULL when capacity is 0). Returns QUELLIX_ERROR_BUFFER_TOO_SMALL when
 * *count > capacity, QUELLIX_ERROR_DATA when the language's data cannot be read,
 * QUELLIX_ERROR_NO_SCORE for an empty word when the margins add up to 0 or less. */
QUELLIX_API quellix_status quellix_break_points(const quellix_hyphenator* hyphenator,
                                                const char* word, size_t word_length,
                                                size_t* positions, size_t capacity,
                                                size_t* count);

/* The word with separator (a NUL-terminated string) between its pieces, into buffer as
 * described at the top. buffer may be NULL when capacity is 0. Fails as
 * quellix_break_points. */
QUELLIX_API quellix_status quellix_hyphenate(const quellix_hyphenator* hyphenator,
                                             const char* word, size_t word_length,
                                             const char* separator, char* buffer,
                                             size_t capacity, size_t* length);

/* How running text is hyphenated (see quellix/text.hpp for the details). */
typedef struct quellix_text_options {
  /* sizeof(quellix_text_options) as this program was compiled; quellix_text_options_default
   * sets it. Later versions add fields only at the end and give a field beyond struct_size
   * its default, so programs built against this header keep working with them. */
  size_t struct_size;
  /* Inserted at every break; NULL: U+00AD SOFT HYPHEN. */
  const char* hyphen;
  /* Words of fewer characters are left whole. */
  size_t min_word_length;
  /* Non-zero: leave words that contain a soft hyphen as they are. */
  int skip_soft_hyphenated;
  /* Non-zero: leave words in capitals (no lower-case letter) as they are. */
  int skip_capitals;
  /* Non-zero: leave URLs and e-mail addresses as they are. */
  int skip_urls;
  /* Non-zero: the text is HTML; only its text content is hyphenated. */
  int html;
  /* Non-zero (the default): in HTML, each element's text is divided in the language its
   * lang attribute names, and left undivided where that names none the library has. */
  int follow_lang;
  /* The length of hyphen in bytes, so that it may contain NUL bytes, or
   * QUELLIX_NUL_TERMINATED (the default): hyphen ends at its NUL. Added in 0.9. */
  size_t hyphen_length;
  /* When not NULL: called with each lang (or xml:lang) value that names no language this
   * build has (in HTML, with follow_lang), so that the caller can warn: the value's bytes
   * (as written, without the white space around it, at most 64, not NUL-terminated), their
   * number, and unknown_lang_context. Each distinct value once per quellix_hyphenate_text
   * call, in the order of the text, on the calling thread before the call returns; lang=""
   * is not reported. The element's text is left undivided all the same. Added in 0.9. */
  void (*unknown_lang)(void* context, const char* value, size_t length);
  /* Passed to unknown_lang as it is. */
  void* unknown_lang_context;
} quellix_text_options;

/* The defaults: soft hyphen, 5 characters, skip soft-hyphenated words and URLs, do not
 * skip capitals, plain text, follow lang attributes, NUL-terminated hyphen, no
 * unknown_lang; struct_size set. Start from these and change the fields you need. Defined here rather than in the
 * library, so that it fills the struct exactly as the header this program was compiled
 * with lays it out: the library reads only the first struct_size bytes of the options it
 * is given, and gives the fields beyond them their defaults. */
static inline quellix_text_options quellix_text_options_default(void) {
  quellix_text_options options;
  options.struct_size = sizeof options;
  options.hyphen = NULL;
  options.min_word_length = 5;
  options.skip_soft_hyphenated = 1;
  options.skip_capitals = 0;
  options.skip_urls = 1;
  options.html = 0;
  options.follow_lang = 1;
  options.hyphen_length = QUELLIX_NUL_TERMINATED;
  options.unknown_lang = NULL;
  options.unknown_lang_context = NULL;
  return options;
}

/* text with the hyphen string inserted at every permitted break of every word, into
 * buffer as described at the top. options NULL: the defaults. Removing the inserted
 * hyphen strings gives back text byte for byte. Texts of up to 64 KiB are divided with
 * state the handle keeps between calls (what making it anew cost outweighed a short
 * text), so the handle holds some memory until it is closed; the results are the same. */
QUELLIX_API quellix_status quellix_hyphenate_text(const quellix_hyphenator* hyphenator,
                                                  const char* text, size_t text_length,
                                                  const quellix_text_options* options,
                                                  char* buffer, size_t capacity,
                                                  size_t* length);

/* Languages. Index i (0 to quellix_language_count() - 1) is the language numbered i. */

/* The number of built-in languages, 73. */
QUELLIX_API size_t quellix_language_count(void);

/* The name ("English_US") and the file affix ("en-us") of language index: static strings;
 * NULL for an index out of range. */
QUELLIX_API const char* quellix_language_name(size_t index);
QUELLIX_API const char* quellix_language_affix(size_t index);

/* The built-in margins of language index (the fewest characters before the first and after
 * the last break). Returns QUELLIX_ERROR_INVALID_ARGUMENT for an index out of range or a
 * NULL pointer. */
QUELLIX_API quellix_status quellix_language_margins(size_t index, int* left_min, int* right_min);

/* The index of the language that tag names: an affix ("en-us"), a name ("English_US"), a
 * BCP 47 tag ("pt-BR", "sr-Latn-RS") or a POSIX locale ("de_DE.UTF-8"), resolved by the
 * rules of quellix/language_tag.hpp. Returns QUELLIX_ERROR_UNKNOWN_LANGUAGE when none. */
QUELLIX_API quellix_status quellix_find_language(const char* tag, size_t tag_length,
                                                 size_t* index);

/* The library's version, "MAJOR.MINOR.PATCH", a static string. */
QUELLIX_API const char* quellix_version(void);

/* The margins a hyphenator divides with. */
QUELLIX_API quellix_status quellix_hyphenator_margins(const quellix_hyphenator* hyphenator,
                                                      int64_t* left_min, int64_t* right_min);

/* A new handle that divides like base, with the words of a user exception list (UTF-8, one
 * word per line, hyphen-minus at each allowed break; blank lines and lines beginning with
 * '%' or '#' are comments) in place of base's own entries for them. Close it like any
 * handle; base stays valid and unchanged. Returns QUELLIX_ERROR_INVALID_ARGUMENT when the
 * list is not UTF-8 (the message names the line and byte offset), or when it holds more
 * than QUELLIX_MAX_FILE_BYTES bytes or a line longer than QUELLIX_MAX_LINE_BYTES
 * (quellix/limits.h). */
QUELLIX_API quellix_status quellix_hyphenator_with_exceptions(const quellix_hyphenator* base,
                                                              const char* list,
                                                              size_t list_length,
                                                              quellix_hyphenator** out);

/* Opens the hyphenator of a libhyphen dictionary (a .dic file, such as Debian's
 * /usr/share/hyphen/hyph_hu_HU.dic) and stores a new handle in *out (NULL on failure); see
 * quellix/dictionary.hpp for the format. quellix_break_points and quellix_hyphenate give the
 * breaks that keep the word's spelling; quellix_hyphenate_with_changes gives all of them.
 * Returns QUELLIX_ERROR_DATA when the file cannot be read or is malformed (the message of
 * quellix_last_error names the file, and the line and byte offset of what is wrong),
 * QUELLIX_ERROR_INVALID_ARGUMENT for a NULL pointer or a file beyond the limits of
 * quellix/limits.h, QUELLIX_ERROR_NO_MEMORY. */
QUELLIX_API quellix_status quellix_hyphenator_open_dictionary(const char* path,
                                                              quellix_hyphenator** out);

/* The same for a dictionary's file contents, data[0, length) (or up to a NUL with
 * QUELLIX_NUL_TERMINATED); source names it in messages (NULL: "dictionary"). */
QUELLIX_API quellix_status quellix_hyphenator_open_dictionary_data(const char* data, size_t length,
                                                                   const char* source,
                                                                   quellix_hyphenator** out);

/* The word with separator between the pieces a line would show, every break taken and the
 * spelling changed where a dictionary says so ("asszonnyal" with "-": "asz-szony-nyal"),
 * into buffer as described at the top. For a built-in language as quellix_hyphenate. */
QUELLIX_API quellix_status quellix_hyphenate_with_changes(const quellix_hyphenator* hyphenator,
                                                          const char* word, size_t word_length,
                                                          const char* separator, char* buffer,
                                                          size_t capacity, size_t* length);

/* A new handle that divides like base with other margins. */
QUELLIX_API quellix_status quellix_hyphenator_with_margins(const quellix_hyphenator* base,
                                                           int64_t left_min, int64_t right_min,
                                                           quellix_hyphenator** out);

#ifdef __cplusplus
}
#endif

#endif
