// Recipes live in the core now (engine/recipe.h); this name stays for the
// files that still include it.
#pragma once

#include "engine/recipe.h"
