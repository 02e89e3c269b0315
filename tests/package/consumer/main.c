/* A C program outside the quellix tree, compiled as C99 with the flags of quellix-c.pc:
 * divides one English word through the C interface. */
#include <quellix/quellix.h>

#include <stdio.h>
#include <string.h>

int main(void) {
  quellix_hyphenator* h;
  char out[64];
  size_t length;
  if (quellix_hyphenator_open("en-us", &h) != QUELLIX_OK) {
    fprintf(stderr, "%s\n", quellix_last_error());
    return 1;
  }
  if (quellix_hyphenate(h, "associate", QUELLIX_NUL_TERMINATED, "-", out, sizeof out, &length) !=
      QUELLIX_OK) {
    fprintf(stderr, "%s\n", quellix_last_error());
    quellix_hyphenator_close(h);
    return 1;
  }
  quellix_hyphenator_close(h);
  printf("C: %s\n", out);
  return strcmp(out, "as-so-ciate") == 0 ? 0 : 1;
}
