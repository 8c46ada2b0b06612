#include "mesh/figures.h"

void decode_figures() {}
