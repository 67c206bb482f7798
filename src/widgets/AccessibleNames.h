#pragma once

class QWidget;

// Screen readers name a field by its label only for some kinds of control;
// a list, a tree or a text area keeps no name of its own. This gives every
// control that a label points to (QLabel::setBuddy) the label's text as its
// accessible name, unless it has one: call it once the window's controls
// and their (translated) labels are set up.
void NameControlsByTheirLabels(QWidget& window);
