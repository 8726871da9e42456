#pragma once

// The per-receiver folder check run when a new receiver identity is met.
// Returns false (after its warning box) when the folder cannot be read and written.
bool checkUserFolder(int productId);
