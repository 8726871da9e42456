#pragma once

class QCustomPlot;

// The look of the equalizer panels: dark ground, grey axes, white dB labels
// from -12 to 12. The tab panels and the import preview share it.
void styleEqualizerPlot(QCustomPlot *plot);

// Merges a plot's overlay layer, on which nothing is drawn, into its other
// layers, sparing a paint buffer the size of the plot, and marks the plot
// opaque (its ground must be an opaque colour).
void dropEmptyOverlayBuffer(QCustomPlot *plot);
