// The Morva Telle zoom in Shotcut: the start region and the shares in
// percent, the options as check boxes. The filter takes the clip's range
// from MLT with each frame, so nothing here follows trims or splits. A new
// filter starts with a centred region, to zoom at once, and smooth on.
// Versioned imports, as Qt 5 requires and Qt 6 accepts.
import QtQuick 2.12
import QtQuick.Controls 2.12
import QtQuick.Layouts 1.12
import Shotcut.Controls 1.0 as Shotcut

Item {
    id: root
    width: 350
    height: 300

    // Parameter name, label, default in percent.
    property var percentParams: [
        ['left', qsTr('Region left'), 25], ['right', qsTr('Region right'), 75],
        ['top', qsTr('Region top'), 25], ['bottom', qsTr('Region bottom'), 75],
        ['zoom-in', qsTr('Zoom in over'), 10], ['zoom-out', qsTr('Zoom out over'), 50],
        ['overlay', qsTr('Overlay'), 0]
    ]
    // Parameter name, label, default.
    property var checkParams: [['smooth', qsTr('Smooth zoom'), 1], ['easing', qsTr('Ease in and out'), 0]]

    // Bumped once the defaults are in, so that the controls read them.
    property int revision: 0

    Component.onCompleted: {
        if (filter.isNew) {
            for (var i = 0; i < percentParams.length; i++)
                filter.set(percentParams[i][0], percentParams[i][2] / 100)
            for (var j = 0; j < checkParams.length; j++)
                filter.set(checkParams[j][0], checkParams[j][2])
            filter.savePreset(preset.parameters)
        }
        revision++
    }

    // The controls follow the edges the player's rectangle sets.
    Connections {
        function onChanged() { revision++ }
        target: filter
    }

    GridLayout {
        columns: 3
        anchors.fill: parent
        anchors.margins: 8

        Label {
            text: qsTr('Preset')
            Layout.alignment: Qt.AlignRight
        }
        Shotcut.Preset {
            id: preset
            Layout.columnSpan: 2
            parameters: ['left', 'right', 'top', 'bottom', 'zoom-in', 'zoom-out', 'overlay', 'smooth', 'easing']
        }

        // Each percent parameter: its label, its slider, its undo button.
        Repeater {
            model: root.percentParams.length * 3
            delegate: Loader {
                property var param: root.percentParams[Math.floor(index / 3)]
                sourceComponent: [labelComponent, sliderComponent, undoComponent][index % 3]
                Layout.fillWidth: index % 3 === 1
                Layout.alignment: index % 3 === 0 ? Qt.AlignRight : Qt.AlignLeft
            }
        }

        // Each option: a check box in the middle column.
        Repeater {
            model: root.checkParams.length * 3
            delegate: Loader {
                property var param: root.checkParams[Math.floor(index / 3)]
                sourceComponent: index % 3 === 1 ? checkComponent : spacerComponent
            }
        }

        Component {
            id: labelComponent
            Label { text: parent.param[1] }
        }
        Component {
            id: sliderComponent
            Shotcut.SliderSpinner {
                minimumValue: 0
                maximumValue: 100
                decimals: 1
                suffix: ' %'
                value: (root.revision, filter.getDouble(parent.param[0]) * 100)
                // Only a change of the user's: the player's rectangle sets the edges too.
                onValueChanged: if (Math.abs(filter.getDouble(parent.param[0]) * 100 - value) > 1e-6)
                    filter.set(parent.param[0], value / 100)
            }
        }
        Component {
            id: undoComponent
            Shotcut.UndoButton {
                onClicked: filter.set(parent.param[0], parent.param[2] / 100)
            }
        }
        Component {
            id: checkComponent
            CheckBox {
                text: parent.param[1]
                checked: (root.revision, filter.getDouble(parent.param[0]) > 0.5)
                onClicked: filter.set(parent.param[0], checked ? 1 : 0)
            }
        }
        Component {
            id: spacerComponent
            Item {}
        }

        Item {
            Layout.fillHeight: true
        }
    }
}
