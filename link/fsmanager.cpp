// placeholder, replaced by the link implementation
#include "fsmanager.h"
