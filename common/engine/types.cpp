#include "common/engine/types.h"
