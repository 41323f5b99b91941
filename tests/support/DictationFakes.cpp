#include "support/DictationFakes.h"
