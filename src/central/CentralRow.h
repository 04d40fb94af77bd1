#pragma once

#include "store/StoredRow.h"

// One row of the central table: a row of a bench's results store, unchanged.
using CentralRow = StoredRow;
