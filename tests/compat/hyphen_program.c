/* A program written against libhyphen's documented interface (hyphen.h), built once with
 * libhyphen and once with libquellix-hyphen: for a dictionary it prints the dictionary's
 * fields and, for words made of the letters of the dictionary's own patterns (each in lower
 * case and with its first ASCII letter in capitals), what hnj_hyphen_hyphenate,
 * hnj_hyphen_hyphenate2 and hnj_hyphen_hyphenate3 give. The two builds must print the same.
 *
 *   hyphen_program DICTIONARY [WORD...]
 */
#include <hyphen.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define MOST_WORDS 2000

static void print_result(const char* word, const char* hyphens, const char* hyphenated, char** rep,
                         int* pos, int* cut) {
  int n = (int)strlen(word);
  printf("%s %s %s", word, hyphens, hyphenated);
  if (rep != NULL) {
    for (int i = 0; i < n; ++i)
      if (rep[i] != NULL) printf(" %d:%s,%d,%d", i, rep[i], pos[i], cut[i]);
  }
  printf("\n");
}

static void divide(HyphenDict* dict, const char* word, int with_margins) {
  int n = (int)strlen(word);
  char* hyphens = malloc((size_t)n + 5);
  char* hyphenated = malloc((size_t)n * 4 + 16);
  char** rep = NULL;
  int* pos = NULL;
  int* cut = NULL;
  if (hyphens == NULL || hyphenated == NULL) exit(2);
  hyphenated[0] = '\0';
  if (with_margins == 0) {
    hnj_hyphen_hyphenate(dict, word, n, hyphens);
    printf("%s first level %s\n", word, hyphens);
    hnj_hyphen_hyphenate2(dict, word, n, hyphens, hyphenated, &rep, &pos, &cut);
  } else
    hnj_hyphen_hyphenate3(dict, word, n, hyphens, hyphenated, &rep, &pos, &cut, with_margins,
                          with_margins, with_margins, with_margins);
  print_result(word, hyphens, hyphenated, rep, pos, cut);
  if (rep != NULL) {
    for (int i = 0; i < n; ++i) free(rep[i]);
    free(rep);
    free(pos);
    free(cut);
  }
  free(hyphens);
  free(hyphenated);
}

/* Whether word holds one of the dictionary's NOHYPHEN strings: libhyphen 2.8.8's
 * hnj_hyphen_hyphenate3 writes NUL bytes into hyphens beside them. */
static int has_no_hyphen(const HyphenDict* dict, const char* word) {
  const char* item = dict->nohyphen;
  if (item == NULL) return 0;
  for (int k = 0; k <= dict->nohyphenl; ++k) {
    if (item[0] != '\0' && strstr(word, item) != NULL) return 1;
    item += strlen(item) + 1;
  }
  return 0;
}

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  HyphenDict* dict = hnj_hyphen_load(argv[1]);
  if (dict == NULL) {
    printf("cannot load %s\n", argv[1]);
    return 1;
  }
  printf("lhmin %d rhmin %d clhmin %d crhmin %d cset %s utf8 %d nohyphenl %d nextlevel %d\n", dict->lhmin,
         dict->rhmin, dict->clhmin, dict->crhmin, dict->cset, dict->utf8, dict->nohyphenl,
         dict->nextlevel != NULL);
  if (dict->nohyphen != NULL) {
    const char* item = dict->nohyphen;
    for (int k = 0; k <= dict->nohyphenl; ++k) {
      printf("nohyphen %s\n", item);
      item += strlen(item) + 1;
    }
  }
  for (int k = 2; k < argc; ++k) divide(dict, argv[k], 0);
  /* Words from the pattern lines: letters only, up to the first blank or '/'. */
  FILE* file = fopen(argv[1], "rb");
  char line[4096];
  int words = 0;
  if (file != NULL && fgets(line, sizeof line, file) != NULL) {
    while (words < MOST_WORDS && fgets(line, sizeof line, file) != NULL) {
      char word[4096];
      size_t length = 0;
      if (line[0] == '%' || (line[0] >= 'A' && line[0] <= 'Z')) continue;
      for (const char* c = line; *c != '\0' && *c != '/' && *c != ' ' && *c != '\t' && *c != '\r' &&
                                 *c != '\n';
           ++c)
        if (*c != '.' && (*c < '0' || *c > '9')) word[length++] = *c;
      word[length] = '\0';
      if (length == 0) continue;
      ++words;
      divide(dict, word, 0);
      if (!has_no_hyphen(dict, word)) {
        divide(dict, word, 1);
        divide(dict, word, 3);
      }
      if (word[0] >= 'a' && word[0] <= 'z') {
        word[0] = (char)(word[0] - 'a' + 'A');
        divide(dict, word, 0);
      }
    }
  }
  if (file != NULL) fclose(file);
  hnj_hyphen_free(dict);
  return 0;
}
