#pragma once

// 1 when a touch screen is attached, else 0. GUI thread.
int touchScreenPresent();
