// Anchor for the tumbo_data library; the embedded arrays are generated
// sources added by tumbo_embed() in data/CMakeLists.txt.
