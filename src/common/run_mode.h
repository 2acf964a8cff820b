#pragma once

// What a job does with each listed file; the value is also the index of the
// mode buttons and of the completion texts.
enum class RunMode { Copy = 0, Delete = 1, Move = 2 };
