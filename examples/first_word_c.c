/* Documentation example: readme_examples keeps it in step with its page (README.md or docs/). */
#include <quellix/quellix.h>

#include <stdio.h>

int main(void) {
  quellix_hyphenator* h;
  if (quellix_hyphenator_open("de-1996", &h) != QUELLIX_OK) {
    fprintf(stderr, "%s\n", quellix_last_error());
    return 1;
  }
  char out[64];
  size_t length;
  if (quellix_hyphenate(h, "Silbentrennung", QUELLIX_NUL_TERMINATED, "-", out, sizeof out,
                        &length) == QUELLIX_OK)
    printf("%s\n", out);
  quellix_hyphenator_close(h);
  return 0;
}
