/* The C interface, used from C11 as a C program would: opening languages, dividing words
 * into caller buffers of every size, running text, errors. Exits non-zero on failure. */
#include <stddef.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "quellix/quellix.h"

static int failures = 0;
static int checks = 0;

#define CHECK(condition)                                                 \
  do {                                                                   \
    ++checks;                                                            \
    if (!(condition)) {                                                  \
      ++failures;                                                        \
      fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
    }                                                                    \
  } while (0)

#define CHECK_STATUS(call, expected)                                               \
  do {                                                                             \
    const quellix_status status_ = (call);                                         \
    ++checks;                                                                      \
    if (status_ != (expected)) {                                                   \
      ++failures;                                                                  \
      fprintf(stderr, "%s:%d: %s gave %d (%s; %s), not %s\n", __FILE__, __LINE__, #call, \
              (int)status_, quellix_status_message(status_), quellix_last_error(), \
              #expected);                                                          \
    }                                                                              \
  } while (0)

static void test_open_and_close(void) {
  quellix_hyphenator* h = NULL;
  CHECK_STATUS(quellix_hyphenator_open("en-us", &h), QUELLIX_OK);
  CHECK(h != NULL);
  CHECK(strcmp(quellix_hyphenator_language(h), "English_US") == 0);
  quellix_hyphenator_close(h);

  CHECK_STATUS(quellix_hyphenator_open("German_1996", &h), QUELLIX_OK);
  CHECK(strcmp(quellix_hyphenator_language(h), "German_1996") == 0);
  quellix_hyphenator_close(h);

  h = (quellix_hyphenator*)&h; /* must be overwritten with NULL */
  CHECK_STATUS(quellix_hyphenator_open("klingon", &h), QUELLIX_ERROR_UNKNOWN_LANGUAGE);
  CHECK(h == NULL);
  CHECK(strstr(quellix_last_error(), "klingon") != NULL);
  CHECK_STATUS(quellix_hyphenator_open("de_AT.UTF-8", &h), QUELLIX_OK); /* a locale name */
  CHECK(h != NULL && strcmp(quellix_hyphenator_language(h), "German_1996") == 0);
  quellix_hyphenator_close(h);
  CHECK_STATUS(quellix_hyphenator_open(NULL, &h), QUELLIX_ERROR_INVALID_ARGUMENT);
  CHECK_STATUS(quellix_hyphenator_open("en-us", NULL), QUELLIX_ERROR_INVALID_ARGUMENT);
  quellix_hyphenator_close(NULL);
  CHECK(quellix_hyphenator_language(NULL) == NULL);
}

/* Messages quoting a caller's text stay short, with control characters escaped. */
static void test_bounded_messages(void) {
  quellix_hyphenator* h = NULL;
  const size_t size = 10u * 1024u * 1024u;
  char* name = (char*)malloc(size + 1);
  CHECK(name != NULL);
  if (name == NULL) return;
  memset(name, 'x', size);
  name[0] = '\x1b'; /* an escape sequence must not reach a terminal as it is */
  name[size] = '\0';
  CHECK_STATUS(quellix_hyphenator_open(name, &h), QUELLIX_ERROR_UNKNOWN_LANGUAGE);
  CHECK(strlen(quellix_last_error()) <= 300);
  CHECK(strstr(quellix_last_error(), "xxxx") != NULL);
  CHECK(strchr(quellix_last_error(), '\x1b') == NULL);
  CHECK(strstr(quellix_last_error(), "\\x1b") != NULL);
  free(name);
  /* A right-to-left override would reorder the rest of the line where it is shown. */
  CHECK_STATUS(quellix_hyphenator_open("exe.\xE2\x80\xAEtxt", &h), QUELLIX_ERROR_UNKNOWN_LANGUAGE);
  CHECK(strstr(quellix_last_error(), "exe.\\xe2\\x80\\xaetxt") != NULL);
}

static void test_break_points(quellix_hyphenator* en, quellix_hyphenator* ru) {
  size_t positions[8];
  size_t count = 99;
  CHECK_STATUS(quellix_break_points(en, "associate", QUELLIX_NUL_TERMINATED, positions, 8, &count),
               QUELLIX_OK);
  CHECK(count == 2 && positions[0] == 2 && positions[1] == 4);

  /* An explicit length: only "associ" is divided; NUL bytes inside are allowed. */
  CHECK_STATUS(quellix_break_points(en, "associate", 6, positions, 8, &count), QUELLIX_OK);
  CHECK(count <= 2);

  /* Byte offsets in UTF-8: "переносить" is 20 bytes, pe-re-no-sit'. */
  CHECK_STATUS(quellix_break_points(ru, "\xD0\xBF\xD0\xB5\xD1\x80\xD0\xB5\xD0\xBD\xD0\xBE\xD1\x81"
                                        "\xD0\xB8\xD1\x82\xD1\x8C",
                                    QUELLIX_NUL_TERMINATED, positions, 8, &count),
               QUELLIX_OK);
  CHECK(count >= 1);
  for (size_t i = 0; i < count && i < 8; ++i) CHECK(positions[i] % 2 == 0 && positions[i] < 20);

  /* Too small: the first ones are written, the count is the full one. */
  positions[0] = positions[1] = 77;
  CHECK_STATUS(quellix_break_points(en, "associate", QUELLIX_NUL_TERMINATED, positions, 1, &count),
               QUELLIX_ERROR_BUFFER_TOO_SMALL);
  CHECK(count == 2 && positions[0] == 2 && positions[1] == 77);
  CHECK_STATUS(quellix_break_points(en, "associate", QUELLIX_NUL_TERMINATED, NULL, 0, &count),
               QUELLIX_ERROR_BUFFER_TOO_SMALL);
  CHECK(count == 2);
  CHECK_STATUS(quellix_break_points(en, "a", QUELLIX_NUL_TERMINATED, NULL, 0, &count), QUELLIX_OK);
  CHECK(count == 0);

  CHECK_STATUS(quellix_break_points(NULL, "a", 1, positions, 8, &count),
               QUELLIX_ERROR_INVALID_ARGUMENT);
  CHECK_STATUS(quellix_break_points(en, NULL, 1, positions, 8, &count),
               QUELLIX_ERROR_INVALID_ARGUMENT);
  CHECK_STATUS(quellix_break_points(en, "a", 1, NULL, 8, &count), QUELLIX_ERROR_INVALID_ARGUMENT);
  CHECK_STATUS(quellix_break_points(en, "a", 1, positions, 8, NULL), QUELLIX_ERROR_INVALID_ARGUMENT);
}

static void test_hyphenate(quellix_hyphenator* en) {
  char buffer[32];
  size_t length = 0;
  CHECK_STATUS(quellix_hyphenate(en, "associate", QUELLIX_NUL_TERMINATED, "-", buffer,
                                 sizeof buffer, &length),
               QUELLIX_OK);
  CHECK(strcmp(buffer, "as-so-ciate") == 0 && length == 11);

  /* A longer separator; malformed bytes stay as they are. */
  CHECK_STATUS(quellix_hyphenate(en, "comp\xFFuter", QUELLIX_NUL_TERMINATED, "<->", buffer,
                                 sizeof buffer, &length),
               QUELLIX_OK);
  CHECK(length == strlen(buffer));
  {
    /* Taking the separators out gives back the word. */
    char joined[32];
    size_t j = 0;
    for (size_t i = 0; buffer[i] != '\0';) {
      if (strncmp(buffer + i, "<->", 3) == 0) {
        i += 3;
      } else {
        joined[j++] = buffer[i++];
      }
    }
    joined[j] = '\0';
    CHECK(strcmp(joined, "comp\xFFuter") == 0);
  }

  /* Every capacity: the string fits exactly when capacity > length. */
  for (size_t capacity = 0; capacity <= 12; ++capacity) {
    char small[12];
    memset(small, 'x', sizeof small);
    const quellix_status status = quellix_hyphenate(en, "associate", QUELLIX_NUL_TERMINATED, "-",
                                                    capacity ? small : NULL, capacity, &length);
    CHECK(length == 11);
    if (capacity > 11) {
      CHECK(status == QUELLIX_OK && strcmp(small, "as-so-ciate") == 0);
    } else {
      CHECK(status == QUELLIX_ERROR_BUFFER_TOO_SMALL);
      CHECK(capacity == 0 || small[0] == '\0');
      CHECK(capacity == 0 || small[1] == 'x'); /* nothing else written */
    }
  }
  CHECK_STATUS(quellix_hyphenate(en, "associate", 9, NULL, buffer, sizeof buffer, &length),
               QUELLIX_ERROR_INVALID_ARGUMENT);
}

/* The lang values unknown_lang heard, joined with commas. */
struct heard_values {
  char text[64];
  int count;
};

static void note_unknown_lang(void* context, const char* value, size_t length) {
  struct heard_values* heard = (struct heard_values*)context;
  const size_t used = strlen(heard->text);
  if (used + length + 2 <= sizeof heard->text) {
    memcpy(heard->text + used, value, length);
    heard->text[used + length] = ',';
    heard->text[used + length + 1] = '\0';
  }
  ++heard->count;
}

static void test_hyphenate_text(quellix_hyphenator* en) {
  char buffer[256];
  size_t length = 0;
  const char* text = "Hyphenation of running text: see www.hyphenation.example.";
  CHECK_STATUS(quellix_hyphenate_text(en, text, QUELLIX_NUL_TERMINATED, NULL, buffer,
                                      sizeof buffer, &length),
               QUELLIX_OK);
  CHECK(strcmp(buffer,
               "Hy\xC2\xADphen\xC2\xAD" "ation of run\xC2\xADning text: see "
               "www.hyphenation.example.") == 0);
  CHECK(length == strlen(buffer));

  {
    quellix_text_options options = quellix_text_options_default();
    CHECK(options.hyphen == NULL && options.min_word_length == 5 && options.skip_urls &&
          options.skip_soft_hyphenated && !options.skip_capitals && !options.html &&
          options.follow_lang);
    options.hyphen = "|";
    options.html = 1;
    CHECK_STATUS(quellix_hyphenate_text(en, "<p title=\"hyphenation\">hyphenation &amp; text</p>",
                                        QUELLIX_NUL_TERMINATED, &options, buffer, sizeof buffer,
                                        &length),
                 QUELLIX_OK);
    CHECK(strcmp(buffer, "<p title=\"hyphenation\">hy|phen|ation &amp; text</p>") == 0);

    /* An element's lang attribute names its language; follow_lang 0 ignores it. */
    const char* page = "<p lang=\"fr\">dictionnaire</p><p lang=xx>dictionnaire</p>";
    CHECK_STATUS(quellix_hyphenate_text(en, page, QUELLIX_NUL_TERMINATED, &options, buffer,
                                        sizeof buffer, &length),
                 QUELLIX_OK);
    CHECK(strcmp(buffer, "<p lang=\"fr\">dic|tion|naire</p><p lang=xx>dictionnaire</p>") == 0);
    {
      /* Values that name no language reach unknown_lang once each; a struct from before
       * the field (a smaller struct_size) reports nothing. */
      const char* unknown = "<p lang=xx>a</p><p lang=\" xx \">b</p><p lang=tlh>c</p><p lang=fr>d</p>";
      struct heard_values heard = {"", 0};
      options.unknown_lang = note_unknown_lang;
      options.unknown_lang_context = &heard;
      CHECK_STATUS(quellix_hyphenate_text(en, unknown, QUELLIX_NUL_TERMINATED, &options, buffer,
                                          sizeof buffer, &length),
                   QUELLIX_OK);
      CHECK(heard.count == 2 && strcmp(heard.text, "xx,tlh,") == 0);
      options.struct_size = offsetof(quellix_text_options, unknown_lang);
      CHECK_STATUS(quellix_hyphenate_text(en, unknown, QUELLIX_NUL_TERMINATED, &options, buffer,
                                          sizeof buffer, &length),
                   QUELLIX_OK);
      CHECK(heard.count == 2);
      options.struct_size = sizeof options;
      options.unknown_lang = NULL;
    }
    options.follow_lang = 0;
    CHECK_STATUS(quellix_hyphenate_text(en, page, QUELLIX_NUL_TERMINATED, &options, buffer,
                                        sizeof buffer, &length),
                 QUELLIX_OK);
    CHECK(strcmp(buffer, "<p lang=\"fr\">dic|tio|n|naire</p><p lang=xx>dic|tio|n|naire</p>") == 0);

    options.html = 0;
    options.min_word_length = 12;
    options.skip_capitals = 1;
    CHECK_STATUS(quellix_hyphenate_text(en, "hyphenation CONSTITUTIONAL constitutional",
                                        QUELLIX_NUL_TERMINATED, &options, buffer, sizeof buffer,
                                        &length),
                 QUELLIX_OK);
    CHECK(strncmp(buffer, "hyphenation CONSTITUTIONAL con", 30) == 0);
    CHECK(strchr(buffer + 30, '|') != NULL);

    /* A hyphen with a NUL inside is inserted whole when its length is given. */
    CHECK(options.hyphen_length == QUELLIX_NUL_TERMINATED);
    options.min_word_length = 5;
    options.hyphen = "a\0b";
    options.hyphen_length = 3;
    CHECK_STATUS(quellix_hyphenate_text(en, "hyphenation", QUELLIX_NUL_TERMINATED, &options, buffer,
                                        sizeof buffer, &length),
                 QUELLIX_OK);
    CHECK(length == 17 && memcmp(buffer, "hya\0bphena\0bation", 18) == 0);
  }

  /* struct_size: a struct not started from the defaults is refused by name; one from a
   * newer header (larger) is read for the fields this library knows. */
  {
    struct {
      quellix_text_options known;
      int later_field;
    } newer;
    newer.known = quellix_text_options_default();
    newer.known.struct_size = sizeof newer;
    newer.known.hyphen = "|";
    newer.later_field = 7;
    CHECK_STATUS(quellix_hyphenate_text(en, "hyphenation", QUELLIX_NUL_TERMINATED, &newer.known,
                                        buffer, sizeof buffer, &length),
                 QUELLIX_OK);
    CHECK(strcmp(buffer, "hy|phen|ation") == 0);
    quellix_text_options zeroed;
    memset(&zeroed, 0, sizeof zeroed);
    CHECK_STATUS(quellix_hyphenate_text(en, "hyphenation", QUELLIX_NUL_TERMINATED, &zeroed, buffer,
                                        sizeof buffer, &length),
                 QUELLIX_ERROR_INVALID_ARGUMENT);
    CHECK(strstr(quellix_last_error(), "struct_size") != NULL);
  }

  /* Too small: the needed length is reported, then the retry succeeds. */
  {
    char tiny[4];
    CHECK_STATUS(quellix_hyphenate_text(en, text, strlen(text), NULL, tiny, sizeof tiny, &length),
                 QUELLIX_ERROR_BUFFER_TOO_SMALL);
    CHECK(tiny[0] == '\0');
    char* exact = malloc(length + 1);
    CHECK(exact != NULL);
    if (exact != NULL) {
      CHECK_STATUS(quellix_hyphenate_text(en, text, strlen(text), NULL, exact, length + 1, &length),
                   QUELLIX_OK);
      CHECK(strlen(exact) == length);
      free(exact);
    }
  }
  CHECK_STATUS(quellix_hyphenate_text(en, NULL, 0, NULL, buffer, sizeof buffer, &length),
               QUELLIX_ERROR_INVALID_ARGUMENT);
  CHECK_STATUS(quellix_hyphenate_text(en, "", 0, NULL, buffer, sizeof buffer, &length), QUELLIX_OK);
  CHECK(length == 0 && buffer[0] == '\0');
}

static void test_languages(void) {
  size_t index = 0;
  int left = 0, right = 0;
  CHECK(quellix_language_count() == 73);
  CHECK(strcmp(quellix_language_name(13), "English_US") == 0);
  CHECK(strcmp(quellix_language_affix(13), "en-us") == 0);
  CHECK(quellix_language_name(73) == NULL && quellix_language_affix((size_t)-1) == NULL);
  CHECK_STATUS(quellix_language_margins(13, &left, &right), QUELLIX_OK);
  CHECK(left == 2 && right == 3);
  CHECK_STATUS(quellix_language_margins(73, &left, &right), QUELLIX_ERROR_INVALID_ARGUMENT);
  CHECK_STATUS(quellix_find_language("pt-BR", QUELLIX_NUL_TERMINATED, &index), QUELLIX_OK);
  CHECK(strcmp(quellix_language_affix(index), "pt") == 0);
  CHECK_STATUS(quellix_find_language("sr-Latn-RS!", 10, &index), QUELLIX_OK);
  CHECK(strcmp(quellix_language_affix(index), "sh-latn") == 0);
  CHECK_STATUS(quellix_find_language("xx", 2, &index), QUELLIX_ERROR_UNKNOWN_LANGUAGE);
  CHECK(strchr(quellix_version(), '.') != NULL);
}

static void test_derived(quellix_hyphenator* en) {
  quellix_hyphenator* house = NULL;
  quellix_hyphenator* wide = NULL;
  char buffer[64];
  size_t length = 0;
  int64_t left = 0, right = 0;
  CHECK_STATUS(quellix_hyphenator_with_exceptions(en, "# house\nquel-lix\n", QUELLIX_NUL_TERMINATED,
                                                  &house),
               QUELLIX_OK);
  CHECK_STATUS(quellix_hyphenate(house, "QUELLIX", QUELLIX_NUL_TERMINATED, "-", buffer,
                                 sizeof buffer, &length),
               QUELLIX_OK);
  CHECK(strcmp(buffer, "QUEL-LIX") == 0);
  CHECK_STATUS(quellix_hyphenator_with_margins(house, 4, 4, &wide), QUELLIX_OK);
  CHECK_STATUS(quellix_hyphenator_margins(wide, &left, &right), QUELLIX_OK);
  CHECK(left == 4 && right == 4);
  CHECK_STATUS(quellix_hyphenate(wide, "hyphenation", QUELLIX_NUL_TERMINATED, "-", buffer,
                                 sizeof buffer, &length),
               QUELLIX_OK);
  CHECK(strcmp(buffer, "hyphen-ation") == 0);
  quellix_hyphenator_close(house); /* wide holds what it needs */
  CHECK_STATUS(quellix_hyphenate(wide, "quellix", QUELLIX_NUL_TERMINATED, "-", buffer,
                                 sizeof buffer, &length),
               QUELLIX_OK);
  CHECK(strcmp(buffer, "quellix") == 0);
  quellix_hyphenator_close(wide);
  CHECK_STATUS(quellix_hyphenator_with_exceptions(en, "ok\n\xff\n", QUELLIX_NUL_TERMINATED, &house),
               QUELLIX_ERROR_INVALID_ARGUMENT);
  CHECK(house == NULL && strstr(quellix_last_error(), "line 2") != NULL);
  {
    /* A list past the limits is refused, not read on. */
    char* line = (char*)malloc(QUELLIX_MAX_LINE_BYTES + 2);
    CHECK(line != NULL);
    if (line != NULL) {
      memset(line, 'a', QUELLIX_MAX_LINE_BYTES + 1);
      line[QUELLIX_MAX_LINE_BYTES + 1] = '\0';
      CHECK_STATUS(quellix_hyphenator_with_exceptions(en, line, QUELLIX_NUL_TERMINATED, &house),
                   QUELLIX_ERROR_INVALID_ARGUMENT);
      CHECK(house == NULL && strstr(quellix_last_error(), "longer than 4096 bytes") != NULL);
      free(line);
    }
  }
  /* With margins that add up to 0, the empty word has no score: its own status. */
  CHECK_STATUS(quellix_hyphenator_with_margins(en, 0, 0, &wide), QUELLIX_OK);
  CHECK_STATUS(quellix_hyphenate(wide, "", 0, "-", buffer, sizeof buffer, &length),
               QUELLIX_ERROR_NO_SCORE);
  CHECK(strstr(quellix_last_error(), "Malformed quellix score") != NULL);
  CHECK_STATUS(quellix_break_points(wide, "", 0, NULL, 0, &length), QUELLIX_ERROR_NO_SCORE);
  CHECK_STATUS(quellix_hyphenate(wide, "a", 1, "-", buffer, sizeof buffer, &length), QUELLIX_OK);
  quellix_hyphenator_close(wide);
}

static void test_messages(void) {
  const quellix_status all[] = {QUELLIX_OK,
                                QUELLIX_ERROR_INVALID_ARGUMENT,
                                QUELLIX_ERROR_UNKNOWN_LANGUAGE,
                                QUELLIX_ERROR_BUFFER_TOO_SMALL,
                                QUELLIX_ERROR_NO_MEMORY,
                                QUELLIX_ERROR_DATA,
                                QUELLIX_ERROR_INTERNAL,
                                QUELLIX_ERROR_NO_SCORE};
  for (size_t i = 0; i < sizeof all / sizeof all[0]; ++i) {
    const char* message = quellix_status_message(all[i]);
    CHECK(message != NULL && message[0] != '\0');
    for (size_t k = 0; k < i; ++k) CHECK(strcmp(message, quellix_status_message(all[k])) != 0);
  }
  CHECK(QUELLIX_ERROR_INTERNAL == 6 && QUELLIX_ERROR_NO_SCORE == 7); /* numbers kept */
  CHECK(strcmp(quellix_status_message(1000), "unknown status") == 0);
  CHECK(strcmp(quellix_status_message(-1), "unknown status") == 0);
}

/* A dictionary from memory: the non-standard Hungarian and German examples; errors name the
 * line. */
static void test_dictionary(void) {
  static const char dic[] = "UTF-8\nLEFTHYPHENMIN 2\nRIGHTHYPHENMIN 2\n"
                            ".as3szon/sz=sz,2,3\nn1nyal./ny=ny,1,3\n.schif1fahrt/ff=f,5,2\n1ta\n";
  quellix_hyphenator* h = NULL;
  char out[64];
  size_t length = 0;
  CHECK_STATUS(quellix_hyphenator_open_dictionary_data(dic, sizeof dic - 1, "test.dic", &h), QUELLIX_OK);
  if (h == NULL) return;
  CHECK(strcmp(quellix_hyphenator_language(h), "test.dic") == 0);
  CHECK_STATUS(quellix_hyphenate_with_changes(h, "asszonnyal", QUELLIX_NUL_TERMINATED, "-", out,
                                              sizeof out, &length), QUELLIX_OK);
  CHECK(strcmp(out, "asz-szony-nyal") == 0);
  CHECK_STATUS(quellix_hyphenate_with_changes(h, "Schiffahrt", QUELLIX_NUL_TERMINATED, "-", out,
                                              sizeof out, &length), QUELLIX_OK);
  CHECK(strcmp(out, "Schiff-fahrt") == 0);
  /* The plain division keeps the spelling: only the standard break of "tata". */
  CHECK_STATUS(quellix_hyphenate(h, "asszonnyal", QUELLIX_NUL_TERMINATED, "-", out, sizeof out, &length),
               QUELLIX_OK);
  CHECK(strcmp(out, "asszonnyal") == 0);
  CHECK_STATUS(quellix_hyphenate(h, "tata", QUELLIX_NUL_TERMINATED, "-", out, sizeof out, &length),
               QUELLIX_OK);
  CHECK(strcmp(out, "ta-ta") == 0);
  quellix_hyphenator_close(h);
  h = NULL;
  CHECK_STATUS(quellix_hyphenator_open_dictionary_data("UTF-8\nf1f/ff\n", QUELLIX_NUL_TERMINATED, NULL, &h),
               QUELLIX_ERROR_DATA);
  CHECK(h == NULL && strstr(quellix_last_error(), "dictionary: line 2") != NULL);
  CHECK_STATUS(quellix_hyphenator_open_dictionary("/nonexistent/hyph_xx.dic", &h), QUELLIX_ERROR_DATA);
  CHECK(strstr(quellix_last_error(), "/nonexistent/hyph_xx.dic") != NULL);
  CHECK_STATUS(quellix_hyphenator_open_dictionary(NULL, &h), QUELLIX_ERROR_INVALID_ARGUMENT);
}

int main(void) {
  quellix_hyphenator* en = NULL;
  quellix_hyphenator* ru = NULL;
  CHECK(strcmp(quellix_last_error(), "") == 0); /* nothing has failed yet */
  test_open_and_close();
  test_bounded_messages();
  CHECK_STATUS(quellix_hyphenator_open("en-us", &en), QUELLIX_OK);
  CHECK_STATUS(quellix_hyphenator_open("ru", &ru), QUELLIX_OK);
  if (en != NULL && ru != NULL) {
    test_break_points(en, ru);
    test_hyphenate(en);
    test_hyphenate_text(en);
    test_derived(en);
  }
  test_languages();
  test_messages();
  test_dictionary();
  quellix_hyphenator_close(en);
  quellix_hyphenator_close(ru);
  printf("%d passed, %d failed\n", checks - failures, failures);
  return failures == 0 ? 0 : 1;
}
