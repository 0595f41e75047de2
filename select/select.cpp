#include "select/select.h"

// Region selection is not built yet.
void startRegionSelection() {}
