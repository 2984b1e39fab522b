/* The skin's 18 colours by palette index, as red, green, blue. */
#ifndef QF_RESOURCES_PALETTE_H
#define QF_RESOURCES_PALETTE_H

#define QF_PALETTE(X) \
  X(0, 56, 56, 56)      /* face */ \
  X(1, 160, 160, 160)   /* text and glyphs */ \
  X(2, 0, 0, 0) \
  X(3, 0, 0, 0) \
  X(4, 40, 100, 140)    /* highlight */ \
  X(5, 70, 70, 70)      /* light edge */ \
  X(6, 25, 25, 25)      /* dark edge */ \
  X(7, 53, 70, 87)      /* field */ \
  X(8, 40, 100, 140) \
  X(9, 238, 204, 85) \
  X(10, 0, 0, 0) \
  X(11, 253, 253, 253)  /* hot menu text */ \
  X(12, 200, 200, 200) \
  X(13, 0, 24, 102) \
  X(14, 40, 100, 140) \
  X(15, 25, 25, 25)     /* outer frame, top-left */ \
  X(16, 65, 65, 65)     /* outer frame, bottom-right */ \
  X(17, 200, 200, 200)

#define QF_PALETTE_SIZE 18
#define QF_FONT_SLOTS 6

#endif
