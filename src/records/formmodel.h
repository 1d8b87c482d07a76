#pragma once

#include <Qt>

class QModelIndex;

// A record model that a form writes through (widget mapper and setData in
// the edit role). The register models refuse edits so that no view edits
// their cells; a form's own model, which no view shows, accepts them.
template <typename Model>
class FormModel : public Model
{
public:
    using Model::Model;

    Qt::ItemFlags flags(const QModelIndex &index) const override
    {
        return Model::flags(index) | Qt::ItemIsEditable;
    }
};
