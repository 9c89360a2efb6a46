// The compile procedure: reads the line source, then the train source, into
// the track model of the context. It always returns normally; every problem
// is reported through the error slot.
#pragma once

#include "model/compile_context.h"

void memorizza_dati(compile_context& ctx);
