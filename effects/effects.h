// Scene effects: animated set pieces that scenes call with a time argument.
// Main thread. (Empty until the scenes land.)
#pragma once
