#pragma once

#include <QStringList>
#include <QTextDocument>
#include <QUrl>
#include <QVariant>

// Records what any QTextDocument asks to load (an image, a style sheet) while
// it lives; nothing is loaded.
class DocumentRequests
{
public:
    DocumentRequests()
    {
        QTextDocument::setDefaultResourceProvider([this](const QUrl &url) {
            asked << url.toString();
            return QVariant();
        });
    }
    ~DocumentRequests() { QTextDocument::setDefaultResourceProvider({}); }
    DocumentRequests(const DocumentRequests &) = delete;
    DocumentRequests &operator=(const DocumentRequests &) = delete;

    QStringList asked;
};
