/* The reference decoder of the PNG tests: libpng, built natively.
 *
 *   png_reference make CORPUSDIR
 *       For every "NAME ok" line of CORPUSDIR/manifest.txt, decodes NAME with
 *       libpng and writes NAME.rgba: width and height (32-bit little-endian)
 *       and then 8-bit red, green, blue, alpha for every pixel, top row first.
 *   png_reference check SAVEDDIR CORPUSDIR
 *       For every "SAVED SOURCE" line of SAVEDDIR/saved.txt, decodes SAVED with
 *       libpng and compares it with CORPUSDIR/SOURCE.rgba.
 *
 * Pixels are what a viewer shows: palettes and gray levels expanded, 16-bit
 * samples cut to their high byte, tRNS turned into alpha, and the file's
 * gAMA applied to colour images for a 2.2 display. Gray images are compared
 * without gamma: the codec shows their levels unchanged.
 */
#include <png.h>
#include <setjmp.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

typedef struct {
  unsigned width, height;
  unsigned char* rgba;
  int has_gamma;
} image_t;

static void on_warning(png_structp png, png_const_charp message) {
  (void)png;
  (void)message;
}

static int decode(const char* path, image_t* out) {
  FILE* f = fopen(path, "rb");
  if (!f) return 0;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, NULL, NULL, on_warning);
  png_infop info = png_create_info_struct(png);
  png_bytep* rows = NULL;
  out->rgba = NULL;
  if (setjmp(png_jmpbuf(png))) {
    fprintf(stderr, "libpng refused %s\n", path);
    png_destroy_read_struct(&png, &info, NULL);
    free(rows);
    free(out->rgba);
    out->rgba = NULL;
    fclose(f);
    return 0;
  }
  png_init_io(png, f);
  png_read_info(png, info);
  int color_type = png_get_color_type(png, info);
  double gamma = 0;
  out->has_gamma = png_get_gAMA(png, info, &gamma) != 0;
  if ((color_type & PNG_COLOR_MASK_COLOR) && out->has_gamma) png_set_gamma(png, 2.2, gamma);
  png_set_expand(png);
  png_set_strip_16(png);
  png_set_gray_to_rgb(png);
  png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  out->width = png_get_image_width(png, info);
  out->height = png_get_image_height(png, info);
  if (png_get_rowbytes(png, info) != (size_t)out->width * 4) png_error(png, "unexpected row size");
  out->rgba = malloc((size_t)out->width * out->height * 4);
  rows = malloc(sizeof(png_bytep) * out->height);
  for (unsigned y = 0; y < out->height; ++y) rows[y] = out->rgba + (size_t)y * out->width * 4;
  png_read_image(png, rows);
  png_read_end(png, NULL);
  png_destroy_read_struct(&png, &info, NULL);
  free(rows);
  fclose(f);
  return 1;
}

static int write_rgba(const char* path, const image_t* image) {
  FILE* f = fopen(path, "wb");
  if (!f) return 0;
  unsigned char head[8];
  for (int i = 0; i < 4; ++i) {
    head[i] = (unsigned char)(image->width >> (8 * i));
    head[4 + i] = (unsigned char)(image->height >> (8 * i));
  }
  size_t size = (size_t)image->width * image->height * 4;
  int ok = fwrite(head, 1, 8, f) == 8 && fwrite(image->rgba, 1, size, f) == size;
  return fclose(f) == 0 && ok;
}

static int read_rgba(const char* path, image_t* image) {
  image->rgba = NULL;
  FILE* f = fopen(path, "rb");
  if (!f) return 0;
  unsigned char head[8];
  int ok = fread(head, 1, 8, f) == 8;
  if (ok) {
    image->width = head[0] | head[1] << 8 | head[2] << 16 | (unsigned)head[3] << 24;
    image->height = head[4] | head[5] << 8 | head[6] << 16 | (unsigned)head[7] << 24;
    size_t size = (size_t)image->width * image->height * 4;
    image->rgba = malloc(size);
    ok = fread(image->rgba, 1, size, f) == size;
  }
  fclose(f);
  if (!ok) {
    free(image->rgba);
    image->rgba = NULL;
  }
  return ok;
}

static int make(const char* dir) {
  char path[4096], name[1024], outcome[256], line[2048];
  snprintf(path, sizeof path, "%s/manifest.txt", dir);
  FILE* manifest = fopen(path, "r");
  if (!manifest) return 1;
  int failures = 0;
  while (fgets(line, sizeof line, manifest)) {
    char ref[1024] = "";
    if (sscanf(line, "%1023s %255s %1023s", name, outcome, ref) < 2) continue;
    if (strcmp(outcome, "ok") != 0 || ref[0]) continue;
    image_t image;
    snprintf(path, sizeof path, "%s/%s", dir, name);
    if (!decode(path, &image)) {
      ++failures;
      continue;
    }
    snprintf(path, sizeof path, "%s/%s.rgba", dir, name);
    if (!write_rgba(path, &image)) ++failures;
    free(image.rgba);
  }
  fclose(manifest);
  return failures != 0;
}

/* Gamma tables computed in fixed point by libpng may differ by one step from
 * the codec's floating-point ones. */
static int compare(const char* name, const image_t* a, const image_t* b, int tolerance) {
  if (a->width != b->width || a->height != b->height) {
    fprintf(stderr, "%s: size %ux%u, expected %ux%u\n", name, a->width, a->height, b->width,
            b->height);
    return 0;
  }
  size_t size = (size_t)a->width * a->height * 4;
  for (size_t i = 0; i < size; ++i) {
    int d = a->rgba[i] - b->rgba[i];
    if (d > tolerance || d < -tolerance) {
      size_t pixel = i / 4;
      fprintf(stderr, "%s: pixel (%zu, %zu) channel %zu is %d, expected %d\n", name,
              pixel % a->width, pixel / a->width, i % 4, a->rgba[i], b->rgba[i]);
      return 0;
    }
  }
  return 1;
}

static int check(const char* saved_dir, const char* corpus_dir) {
  char path[4096], saved[1024], source[1024], line[2048];
  snprintf(path, sizeof path, "%s/saved.txt", saved_dir);
  FILE* list = fopen(path, "r");
  if (!list) {
    fprintf(stderr, "%s is missing: run the codec tests first\n", path);
    return 1;
  }
  int failures = 0, checked = 0;
  while (fgets(line, sizeof line, list)) {
    if (sscanf(line, "%1023s %1023s", saved, source) != 2) continue;
    image_t got, expected;
    snprintf(path, sizeof path, "%s/%s", saved_dir, saved);
    if (!decode(path, &got)) {
      ++failures;
      continue;
    }
    /* Sources made by the tests themselves have their pixels beside them. */
    snprintf(path, sizeof path, "%s/%s.rgba", saved_dir, source);
    int found = read_rgba(path, &expected);
    if (!found) {
      snprintf(path, sizeof path, "%s/%s.rgba", corpus_dir, source);
      found = read_rgba(path, &expected);
    }
    if (!found) {
      fprintf(stderr, "%s: no reference %s\n", saved, path);
      ++failures;
    } else {
      if (!compare(saved, &got, &expected, got.has_gamma ? 1 : 0)) ++failures;
      free(expected.rgba);
    }
    free(got.rgba);
    ++checked;
  }
  fclose(list);
  printf("%d saved files decoded by libpng, %d failed\n", checked, failures);
  return failures != 0 || checked == 0;
}

int main(int argc, char** argv) {
  if (argc == 3 && strcmp(argv[1], "make") == 0) return make(argv[2]);
  if (argc == 4 && strcmp(argv[1], "check") == 0) return check(argv[2], argv[3]);
  fprintf(stderr, "usage: png_reference make CORPUSDIR | check SAVEDDIR CORPUSDIR\n");
  return 2;
}
