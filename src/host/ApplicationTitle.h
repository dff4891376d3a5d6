#pragma once

#include <QString>

/// The program's title: the text of its task-bar entry and the caption of
/// every error box. The product's name (host/Product.h) until a caption is set.
QString ApplicationTitle();
void SetApplicationTitle(const QString& title);
