#error "libmpv belongs in src/player; the core talks to the player through ports/MediaPlayer.h"
