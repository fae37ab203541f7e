// Common base of the bounding-volume classes (the 18-DOP and the view frustum).
#pragma once

class ZtObject {
  public:
    // 18-DOP: makes the volume empty. Frustum: re-extracts its planes.
    virtual void Reset() {}
    // Three further slots that no volume uses; they are kept so that every volume class has
    // the same four-slot table.
    virtual void Reserved2() {}
    virtual void Reserved3() {}
    virtual void Reserved4() {}

  protected:
    ZtObject() = default;
    ZtObject(const ZtObject&) = default;
    ZtObject(ZtObject&&) = default;
    ZtObject& operator=(const ZtObject&) = default;
    ZtObject& operator=(ZtObject&&) = default;
    // Not virtual: every volume is destroyed through its own type, so deleting one through a
    // ZtObject pointer is not allowed to compile.
    ~ZtObject() = default;
};
