#pragma once

class QComboBox;
class QWidget;

// The windows keep the positions they were laid out with, but that layout
// assumed a narrower font than many desktops have. These keep every caption
// and entry readable without moving anything else.

// Captions (labels) below root that are wider than their place get narrower
// letters; only where that is not enough a smaller size (never below 6 pt).
void fitCaptions(QWidget *root);
// A list box narrower than its widest entry grows to the right.
void fitToEntries(QComboBox *list);
