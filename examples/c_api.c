/* Documentation example: readme_examples keeps it in step with its page (README.md or docs/). */
#include <quellix/quellix.h>

#include <stdio.h>

int main(void) {
  quellix_hyphenator* h;
  if (quellix_hyphenator_open("en-us", &h) != QUELLIX_OK) {
    fprintf(stderr, "%s\n", quellix_last_error());
    return 1;
  }
  char out[64];
  size_t length;
  quellix_hyphenate(h, "associate", QUELLIX_NUL_TERMINATED, "-", out, sizeof out, &length);
  printf("%s (%zu bytes)\n", out, length);

  size_t positions[8], count;
  quellix_break_points(h, "computer", QUELLIX_NUL_TERMINATED, positions, 8, &count);
  printf("%zu break(s), the first after byte %zu\n", count, positions[0]);

  quellix_text_options options = quellix_text_options_default();
  options.hyphen = "|";
  char text[128];
  if (quellix_hyphenate_text(h, "Hyphenation of running text.", QUELLIX_NUL_TERMINATED, &options,
                             text, sizeof text, &length) == QUELLIX_OK)
    printf("%s\n", text);
  quellix_hyphenator_close(h);
  return 0;
}
