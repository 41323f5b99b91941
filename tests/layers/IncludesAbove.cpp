// Built only by tst_LayerIncludes: the account library's code naming the
// composition root above it must not find it.
#include "app/AppComposition.h"
