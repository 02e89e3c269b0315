/* A program written for libhyphen, built unchanged against the installed libquellix-hyphen
 * (pkg-config quellix-hyphen, or the CMake target quellix::hyphen): it writes a small
 * dictionary to the file argv[1], loads it and divides a Hungarian word with its change of
 * spelling. */
#include <hyphen.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

int main(int argc, char** argv) {
  const char* word = "asszonnyal";
  char hyphens[32];
  char hyphenated[64];
  char** rep = NULL;
  int* pos = NULL;
  int* cut = NULL;
  FILE* file;
  HyphenDict* dict;
  if (argc < 2 || (file = fopen(argv[1], "w")) == NULL) return 2;
  fputs("UTF-8\nLEFTHYPHENMIN 2\nRIGHTHYPHENMIN 2\n.as3szon/sz=sz,2,3\nn1nyal./ny=ny,1,3\n", file);
  fclose(file);
  dict = hnj_hyphen_load(argv[1]);
  if (dict == NULL) return 1;
  hnj_hyphen_hyphenate2(dict, word, (int)strlen(word), hyphens, hyphenated, &rep, &pos, &cut);
  printf("hyphen.h: %s (%s)\n", hyphenated, hyphens);
  if (rep != NULL) {
    for (size_t i = 0; i < strlen(word); ++i) free(rep[i]);
    free(rep);
    free(pos);
    free(cut);
  }
  hnj_hyphen_free(dict);
  return 0;
}
