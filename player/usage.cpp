#include "player/usage.h"

// In step with the tavrinra(1) page.
const char* const SongPlayerUsage =
    "usage: tavrinra\n"
    "The song player of the Tavrin screen saver: plays the stored playlist of sound\n"
    "clips, in order or at random, pausing \"EffectDelay\" seconds between clips.\n"
    "tavrin starts it for a show with sound and ends it when the show ends; only one\n"
    "player plays per user session.\n"
    "\n"
    "  (no option)            play the playlist, as tavrin starts it\n"
    "  --help, -h, /?         print this text\n"
    "  --version              print the version\n"
    "\n"
    "See tavrinra(1).\n";
