/* libquellix-hyphen: libhyphen's C interface on quellix, so that a program written for
 * libhyphen (its hyphen.h, as libhyphen 2.8.8 declares it) compiles and links against
 * quellix unchanged: `pkg-config --cflags --libs quellix-hyphen`, or the CMake target
 * quellix::hyphen, puts this file first on the include path as <hyphen.h>.
 *
 * The types, fields and functions are libhyphen's, with its buffers, encodings, return
 * values and memory rules. A dictionary is a libhyphen .dic file (see quellix/dictionary.hpp);
 * words are given in the dictionary's encoding (UTF-8, or a single-byte one such as
 * ISO8859-1), and results are indexed by character: by byte for a single-byte dictionary,
 * by code point for a UTF-8 one (hnj_hyphen_hyphenate's by byte, as libhyphen's). Words are
 * matched as given: convert them to lower case first, as with libhyphen.
 *
 * Differences, where libhyphen 2.8.8 is at fault: a dictionary that cannot be read (no such
 * file, an unknown encoding, a malformed line) gives NULL from the load functions rather than
 * a half-read dictionary; lines of any length are read whole; the fields num_states and states
 * describe libhyphen's own automaton and are 0 and NULL here; hnj_hyphen_hyphenate3 leaves
 * the breaks beside a NOHYPHEN string out of hyphword too and writes '0' for them (2.8.8
 * writes a NUL byte into hyphens there); hnj_hyphen_hyphenate2 and 3 write no more than
 * word_size * 2 bytes into the hyphenated word (2.8.8 writes past them where a change of
 * spelling is longer than what it replaces); the hyphenate functions return -1 for a NULL
 * dict or hyphens, or a NULL word of a positive size.
 *
 * Threads: a dictionary may be used by any number of threads at once; load and free it on
 * one.
 */
#ifndef QUELLIX_COMPAT_HYPHEN_H
#define QUELLIX_COMPAT_HYPHEN_H

#include <stddef.h>
#include <stdio.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct _HyphenDict HyphenDict;
typedef struct _HyphenState HyphenState;
typedef struct _HyphenTrans HyphenTrans;
#define MAX_CHARS 100
#define MAX_NAME 20

/* A loaded dictionary. Read its fields; do not change them. */
struct _HyphenDict {
  char lhmin;      /* LEFTHYPHENMIN, 0 where the file gives none (2 is used then) */
  char rhmin;      /* RIGHTHYPHENMIN, likewise */
  char clhmin;     /* COMPOUNDLEFTHYPHENMIN (without NEXTLEVEL: lhmin, or 3) */
  char crhmin;     /* COMPOUNDRIGHTHYPHENMIN (without NEXTLEVEL: rhmin, or 3) */
  char* nohyphen;  /* the NOHYPHEN strings, each ended by a NUL; NULL when there are none */
  int nohyphenl;   /* their number less one (0 when there are none) */
  int num_states;  /* 0: quellix keeps no libhyphen automaton */
  char cset[MAX_NAME];  /* the encoding named on the first line, cut to 19 bytes */
  int utf8;        /* non-zero for a UTF-8 dictionary */
  HyphenState* states;    /* NULL */
  HyphenDict* nextlevel;  /* the level that divides the parts of compound words */
};

struct _HyphenState {
  char* match;
  char* repl;
  signed char replindex;
  signed char replcut;
  int fallback_state;
  int num_trans;
  HyphenTrans* trans;
};

struct _HyphenTrans {
  char ch;
  int new_state;
};

/* The dictionary in file fn, or NULL when it cannot be read or is malformed. Free it with
 * hnj_hyphen_free. */
HyphenDict* hnj_hyphen_load(const char* fn);
/* The same for an open file, read to its end (it stays open). */
HyphenDict* hnj_hyphen_load_file(FILE* f);
/* The same for a dictionary's contents in memory, data[0, length). */
HyphenDict* hnj_hyphen_load_data(const char* data, size_t length);
/* Frees a dictionary; NULL is ignored. */
void hnj_hyphen_free(HyphenDict* dict);

/* The values the first (compound) level of patterns alone gives word, as libhyphen gives
 * them, by byte even for a UTF-8 dictionary (a character's value at its last byte) and with
 * no break within two bytes of either end, whatever the dictionary's margins: hyphens
 * (word_size + 5 bytes) gets one digit per byte and a NUL. Returns 0. Kept for old programs;
 * use hnj_hyphen_hyphenate2. */
int hnj_hyphen_hyphenate(HyphenDict* dict, const char* word, int word_size, char* hyphens);

/* Divides word (word_size bytes in the dictionary's encoding). hyphens (word_size + 5 bytes)
 * gets one digit per character, odd where the word may break after that character, then a
 * NUL. hyphenated_word, when not NULL (word_size * 2 bytes, at least one: nothing is written
 * past them), gets the word with '=' at each break and the changed spelling of non-standard
 * breaks, NUL-terminated; where the changed spellings would not fit (changes longer than what
 * they replace), it gets the word with its standard breaks only. rep, pos and
 * cut, when not NULL: for a word with a non-standard break, *rep, *pos and *cut (when NULL)
 * are set to new malloc'ed arrays of word_size elements (free each string of *rep and then
 * the arrays), or are filled when they point to the caller's zeroed arrays: rep[i] is the
 * change at the boundary after character i (a malloc'ed string whose '=' marks the break),
 * pos[i] how many characters before that boundary it starts, cut[i] how many characters it
 * replaces. Word without one: the pointers stay as they are. Returns 0. */
int hnj_hyphen_hyphenate2(HyphenDict* dict, const char* word, int word_size, char* hyphens,
                          char* hyphenated_word, char*** rep, int** pos, int** cut);

/* hnj_hyphen_hyphenate2 with margins: each is at least the dictionary's own value (lhmin and
 * rhmin 0 mean 2). */
int hnj_hyphen_hyphenate3(HyphenDict* dict, const char* word, int word_size, char* hyphens,
                          char* hyphword, char*** rep, int** pos, int** cut, int lhmin, int rhmin,
                          int clhmin, int crhmin);

#ifdef __cplusplus
}
#endif

#endif
