// A line at the top of a page whose store's file was not trusted (another user's, or one others
// can write, in a folder others can write): what is changed there is shown but never saved over
// that file, and the user is told so once, where she works with it, rather than finding out later.
#pragma once

class QLabel;
class QWidget;

namespace qor {

class CTreeStore;

// The note for the store, or null when its file was trusted.
QLabel* MakeStoreNotKeptNote(const CTreeStore& store, QWidget* parent);

} // namespace qor
