#include "SoundPlayer.h"
