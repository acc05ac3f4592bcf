#include "saver/slide_show.h"

SlideShowRecord SlideShow = {};
